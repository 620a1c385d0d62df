#include "automation/native/native_objects.h"

#include <cmath>

#include "automation/native/cell_value.h"
#include "automation/native/name_lookup.h"
#include "native/formula/a1_reference.h"
#include "native/formula/name_formula.h"
#include "native/propset/builtin_properties.h"
#include "native/propset/ole_date.h"
#include "native/text/ascii.h"

namespace xls::native {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;

// Range.Value of a block larger than this is refused rather than built:
// nothing in this program reads whole columns, and a hostile name over the
// full grid would otherwise ask for 16 million cells.
constexpr std::int64_t kMaxArrayCells = 1 << 20;

}  // namespace

automation::Variant NativeRange::value() const {
    if (area_.firstRow == area_.lastRow && area_.firstCol == area_.lastCol)
        return cellValue(*book_, sheet_, area_.firstRow, area_.firstCol);
    std::int64_t cells = std::int64_t{rowCount()} * columnCount();
    if (cells > kMaxArrayCells)
        throw AutomationError(errnum::kApplicationDefined,
                              "range of " + std::to_string(cells) + " cells is too large a value");
    auto array = std::make_shared<automation::VariantArray>();
    array->rows = rowCount();
    array->columns = columnCount();
    array->items.reserve(static_cast<std::size_t>(cells));
    for (std::int32_t r = area_.firstRow; r <= area_.lastRow; ++r)
        for (std::int32_t c = area_.firstCol; c <= area_.lastCol; ++c)
            array->items.push_back(cellValue(*book_, sheet_, r, c));
    return std::shared_ptr<const automation::VariantArray>(std::move(array));
}

std::shared_ptr<automation::Worksheet> NativeRange::worksheet() const {
    return std::make_shared<NativeWorksheet>(book_, sheet_);
}

std::string NativeWorksheet::name() const {
    return book_->globals().sheets.at(sheet_).name;
}

void NativeWorksheet::requireCells() const {
    if (book_->globals().sheets.at(sheet_).kind != biff::SheetKind::Worksheet)
        throw AutomationError(errnum::kApplicationDefined,
                              "sheet '" + name() + "' is not a worksheet and has no cells");
}

std::shared_ptr<automation::Range> NativeWorksheet::cells(std::int32_t row,
                                                          std::int32_t column) const {
    requireCells();
    if (row < 1 || row > formula::kLastRow + 1 || column < 1 || column > formula::kLastCol + 1)
        throw AutomationError(errnum::kApplicationDefined, "cell (" + std::to_string(row) + ", " +
                                                               std::to_string(column) +
                                                               ") is outside the sheet");
    formula::Area a{row - 1, column - 1, row - 1, column - 1};
    return std::make_shared<NativeRange>(book_, sheet_, a);
}

std::shared_ptr<automation::Range> NativeWorksheet::range(const std::string& reference) const {
    requireCells();
    auto ref = formula::parseA1Reference(reference);
    if (!ref || ref->sheet)
        throw AutomationError(errnum::kApplicationDefined,
                              "'" + reference + "' is not a cell reference on this sheet");
    return std::make_shared<NativeRange>(book_, sheet_, ref->area);
}

std::int32_t NativeSheets::count() const {
    return static_cast<std::int32_t>(book_->globals().sheets.size());
}

std::shared_ptr<automation::Worksheet> NativeSheets::item(std::int32_t index) const {
    if (index < 1 || index > count())
        throw AutomationError(errnum::kSubscriptOutOfRange,
                              "sheet " + std::to_string(index) + " of " + std::to_string(count()));
    return std::make_shared<NativeWorksheet>(book_, static_cast<std::size_t>(index - 1));
}

std::shared_ptr<automation::Worksheet> NativeSheets::item(const std::string& name) const {
    // As the application finds a sheet: its name in any letter case.
    const auto& sheets = book_->globals().sheets;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (xls::text::equalsIgnoringAsciiCase(sheets[i].name, name))
            return std::make_shared<NativeWorksheet>(book_, i);
    throw AutomationError(errnum::kSubscriptOutOfRange, "no sheet named '" + name + "'");
}

std::string NativeName::name() const {
    return nameText(*book_, book_->globals().names.at(index_));
}

std::string NativeName::refersTo() const {
    const auto& g = book_->globals();
    std::vector<std::string> sheetNames;
    for (const auto& s : g.sheets) sheetNames.push_back(s.name);
    const auto& n = g.names.at(index_);
    auto xti = [&g](std::uint16_t ixti) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        if (ixti >= g.externSheet.size()) return std::nullopt;
        const auto& x = g.externSheet[ixti];
        if (x.firstSheet < 0 || x.lastSheet < x.firstSheet) return std::nullopt;
        return std::pair<std::int32_t, std::int32_t>{x.firstSheet, x.lastSheet};
    };
    return formula::nameFormulaText(n.rgce, xti, sheetNames);
}

std::shared_ptr<automation::Range> NativeName::refersToRange() const {
    const auto& n = book_->globals().names.at(index_);
    auto area = nameArea(*book_, n);
    if (!area)
        throw AutomationError(errnum::kApplicationDefined,
                              "name '" + nameText(*book_, n) + "' refers to no range");
    return std::make_shared<NativeRange>(book_, static_cast<std::size_t>(area->firstSheet),
                                         area->area);
}

bool NativeName::refersPastTheGrid() const {
    return book_->globals().names.at(index_).pastTheGrid;
}

std::int32_t NativeNames::count() const {
    return static_cast<std::int32_t>(book_->globals().names.size());
}

std::shared_ptr<automation::Name> NativeNames::item(std::int32_t index) const {
    if (index < 1 || index > count())
        throw AutomationError(errnum::kApplicationDefined,
                              "name " + std::to_string(index) + " of " + std::to_string(count()));
    return std::make_shared<NativeName>(book_, static_cast<std::size_t>(index - 1));
}

std::string NativeDocumentProperty::name() const {
    return propset::builtinPropertyName(index_);
}

std::int32_t NativeDocumentProperty::type() const {
    return propset::builtinPropertyType(index_);
}

automation::Variant NativeDocumentProperty::value() const {
    if (auto v = valueIfSet()) return *std::move(v);
    throw AutomationError(errnum::kAutomationFailure,
                          std::string("document property '") + name() + "' is not set");
}

std::optional<automation::Variant> NativeDocumentProperty::valueIfSet() const {
    const auto& p = book_->property(static_cast<std::size_t>(index_));
    if (!p) return std::nullopt;
    if (auto s = std::get_if<std::string>(&p->value)) return *s;
    if (auto t = std::get_if<propset::FileTime>(&p->value))
        return automation::Date{propset::fileTimeToLocalOleDate(*t)};
    double d = std::get<double>(p->value);
    if (d >= -2147483648.0 && d <= 2147483647.0 && d == std::trunc(d))
        return static_cast<std::int32_t>(d);
    return d;
}

}  // namespace xls::native
