#include "automation/native/model_values.h"

#include <cmath>

#include "native/calendar/date_systems.h"

namespace xls::native {

namespace {

constexpr std::int32_t kErrorValueBase = 2000;

automation::Variant numberValue(const book::Workbook& model, double number, std::uint16_t xf) {
    switch (valueKindOf(model, xf)) {
        case format::ValueKind::Date:
            if (auto ole = calendar::serialToOleDate(number, model.date1904()))
                return automation::Date{*ole};
            break;
        case format::ValueKind::Currency:
            if (std::fabs(number) < 9.2e14)
                return automation::Currency{std::llround(number * 10000.0)};
            break;
        case format::ValueKind::Number:
            break;
    }
    return number;
}

}  // namespace

format::ValueKind valueKindOf(const book::Workbook& model, std::uint16_t xf) {
    if (xf >= model.styleCount()) return format::ValueKind::Number;
    std::uint16_t id = model.style(xf).numberFormat;
    auto own = model.numberFormats().find(id);
    return format::classifyFormat(id, own == model.numberFormats().end() ? nullptr : &own->second);
}

automation::Variant modelCellValue(const book::Workbook& model, const book::Sheet& sheet,
                                   std::uint32_t row, std::uint32_t col) {
    const book::Cell* cell = sheet.find(row, col);
    if (!cell) return {};
    using Kind = book::Cell::Kind;
    Kind kind = cell->kind == Kind::Formula ? cell->result : cell->kind;
    switch (kind) {
        case Kind::Number:
            return numberValue(model, cell->number, cell->xf);
        case Kind::Text:
            return std::string(cell->text);
        case Kind::Boolean:
            return cell->code != 0;
        case Kind::Error:
            return automation::ErrorValue{kErrorValueBase + cell->code};
        case Kind::Blank:
        case Kind::Formula:
            break;
    }
    return {};
}

}  // namespace xls::native
