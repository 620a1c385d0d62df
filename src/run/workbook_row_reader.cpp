#include "run/workbook_row_reader.h"

#include <cmath>

#include "os/path_names.h"

namespace mokuji::run {

namespace {

using automation::AutomationError;
using automation::Variant;
using list_file::kNoNumber;

// A date column shows the day alone; the serial's fraction is the time.
Variant dayOf(const Variant& value) {
    if (auto d = value.get<automation::Date>()) return automation::Date{std::trunc(d->serial)};
    if (auto n = value.get<double>()) return automation::Date{std::trunc(*n)};
    return value;
}

bool usableFallback(std::int32_t row, std::int32_t col) {
    return row != 0 && col != 0 && row != list_file::kNoNumber && col != list_file::kNoNumber;
}

// An error value or the array of several cells is no value for one list
// cell: the name is then as good as missing.
bool singleValue(const Variant& v) {
    return v.type() != Variant::Type::Error && v.type() != Variant::Type::Array;
}

// Inside a handler: a sheet that could not be read fails as an opening
// would (damaged, refused), since its values are lost and an empty cell
// would claim otherwise; the workbook is then named, not listed.
void rethrowIfUnreadable(const AutomationError& e) {
    if (e.openFailure() != automation::OpenFailure::None) throw;
}

// The answer's sheet of a fallback cell: the template's sheet of the named
// cell, found by its name, else by its place; the first sheet when the
// named cell was on the first. Null when the answer has no such sheet: the
// first sheet's cell there would be another question's answer.
std::shared_ptr<automation::Worksheet> fallbackSheetOf(automation::Workbook& book,
                                                       const list_file::FallbackSheet& sheet) {
    auto sheets = book.sheets();
    if (sheet.name.empty() && sheet.position <= 1) return sheets->item(1);
    if (!sheet.name.empty()) {
        try {
            if (auto named = sheets->item(sheet.name)) return named;
        } catch (const AutomationError& e) {
            rethrowIfUnreadable(e);
        }
    }
    if (sheet.position >= 1 && sheet.position <= sheets->count())
        return sheets->item(sheet.position);
    return nullptr;
}

// A named cell's value; when the name is missing, covers several cells or
// holds an error value, the cell at the column's row and column on the
// named cell's sheet instead. Any other failure there gives an empty value
// as well.
Variant namedCellValue(automation::Application& xl_app, automation::Workbook& book,
                       const std::string& name, std::int32_t row, std::int32_t col,
                       const list_file::FallbackSheet& sheet) {
    try {
        Variant v = xl_app.range(name)->value();
        if (singleValue(v)) return v;
    } catch (const AutomationError& e) {
        rethrowIfUnreadable(e);
    }
    if (!usableFallback(row, col)) return {};
    try {
        auto where = fallbackSheetOf(book, sheet);
        if (!where) return {};
        Variant v = where->cells(row, col)->value();
        if (singleValue(v)) return v;
    } catch (const AutomationError& e) {
        rethrowIfUnreadable(e);
    }
    return {};
}

}  // namespace

std::optional<Variant> PropertyValue(const automation::DocumentProperty& property) {
    const std::int32_t type = property.type();
    std::optional<Variant> value = property.valueIfSet();
    if (value && type == automation::property_type::kDate) return dayOf(*value);
    return value;
}

std::shared_ptr<automation::Workbook> ReadWorkbookRow(automation::Application& xl_app,
                                                      const std::string& path,
                                                      const std::string& listedName,
                                                      const list_file::ColumnTable& table,
                                                      const list_file::PropertyNameTable& prop_name,
                                                      list_file::RowStore& rows) {
    auto workbooks = xl_app.workbooks();
    workbooks->close();
    // Event macros of a source workbook must not run.
    xl_app.setEnableEvents(false);
    automation::OpenArguments args;
    args.fileName = path;
    args.updateLinks = 0;
    args.readOnly = true;
    args.ignoreReadOnlyRecommended = true;
    auto book = workbooks->open(args);

    bool hasData = false;
    list_file::ListRow row{listedName, {}};
    // Held until the row enters the list: grown by doubling, a row of a long
    // run would keep half as much again in slack. One more for the list's
    // number column: a value takes a cell's 40 bytes, so the memory a row
    // lets go as it enters the list holds that row's cells.
    std::size_t named = 0;
    for (int j = 1; j <= table.size(); ++j) named += !table.g_item_name[j].empty();
    row.values.reserve(named + 1);
    for (int j = 1; j <= table.size(); ++j) {
        const std::string& name = table.g_item_name[j];
        if (name.empty()) continue;
        if (name == list_file::kFileNameColumn) {
            row.values.emplace_back(row.fileName);
        } else if (name == list_file::kFolderColumn) {
            // The subfolder the workbook lies in, "" for the list's own.
            const std::size_t slash = row.fileName.rfind('/');
            row.values.emplace_back(slash == std::string::npos ? std::string()
                                                               : row.fileName.substr(0, slash));
        } else if (int k = list_file::PropertyIndexOf(prop_name, name); k != 0) {
            hasData = true;
            Variant value;
            try {
                // Not set, e.g. the print date of a workbook never printed:
                // empty.
                value = PropertyValue(*book->builtinDocumentProperty(k)).value_or(Variant());
            } catch (const AutomationError&) {
                // A property the application cannot give at all.
            }
            row.values.push_back(std::move(value));
        } else {
            hasData = true;
            row.values.push_back(namedCellValue(xl_app, *book, name, table.g_item_row[j],
                                                table.g_item_col[j], table.fallbackSheet[j]));
        }
    }
    if (hasData) rows.rows.push_back(std::move(row));
    return book;
}

}  // namespace mokuji::run
