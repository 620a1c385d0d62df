#include "engine/workbook_row_reader.h"

#include <cstdio>

#include "automation/ole_date.h"
#include "util/path_names.h"

namespace mokuji::engine {

namespace {

using automation::AutomationError;

// The "yyyy/mm/dd" pattern: four-digit year, two-digit month and day, always
// joined by "/", whatever the system's date separator.
std::string yearMonthDay(const automation::Variant& value) {
    double serial;
    if (auto d = value.get<automation::Date>()) {
        serial = d->serial;
    } else if (auto n = value.get<double>()) {
        serial = *n;
    } else {
        return value.toText();
    }
    auto t = automation::civilFromOleDate(serial);
    if (!t) return value.toText();
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d/%02u/%02u", t->year, t->month, t->day);
    return buf;
}

bool usableFallback(std::int32_t row, std::int32_t col) {
    return row != 0 && col != 0 && row != kNoNumber && col != kNoNumber;
}

// A named cell's value; when the name is missing, covers several cells or
// holds an error value, the cell at the column's row and column on the first
// sheet instead. Any failure there gives "" as well.
std::string namedCellText(automation::Application& xl_app, automation::Workbook& book,
                          const std::string& name, std::int32_t row, std::int32_t col) {
    try {
        return xl_app.range(name)->value().toText();
    } catch (const AutomationError&) {
    }
    if (!usableFallback(row, col)) return "";
    try {
        return book.sheets()->item(1)->cells(row, col)->value().toText();
    } catch (const AutomationError&) {
        return "";
    }
}

}  // namespace

std::string PropertyText(const automation::DocumentProperty& property) {
    std::int32_t type = property.type();
    automation::Variant value = property.value();
    if (type == automation::property_type::kDate) return yearMonthDay(value);
    return value.toText();
}

std::shared_ptr<automation::Workbook> ReadWorkbookRow(automation::Application& xl_app,
                                                      const std::string& path,
                                                      const ColumnTable& columns,
                                                      const app::PropertyNameTable& prop_name,
                                                      RowStore& rows) {
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
    std::string text;
    for (int j = 1; j <= kMaxColumns; ++j) {
        const std::string& name = columns.g_item_name[j];
        if (name.empty()) continue;
        if (name == app::kFileNameColumn) {
            text += util::FileNameOf(path);
        } else if (int k = app::PropertyIndexOf(prop_name, name); k != 0) {
            hasData = true;
            try {
                text += PropertyText(*book->builtinDocumentProperty(k));
            } catch (const AutomationError&) {
                // Not set, e.g. the print date of a workbook never printed.
            }
        } else {
            hasData = true;
            text +=
                namedCellText(xl_app, *book, name, columns.g_item_row[j], columns.g_item_col[j]);
        }
        text += '\t';
    }
    if (hasData) rows.row_text.push_back(std::move(text));
    return book;
}

}  // namespace mokuji::engine
