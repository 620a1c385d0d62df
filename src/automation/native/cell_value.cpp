#include "automation/native/cell_value.h"

#include <cmath>

#include "native/calendar/date_systems.h"

namespace xls::native {

namespace {

// Worksheet error numbers are 2000 plus the error's code in the file.
constexpr std::int32_t kErrorValueBase = 2000;

automation::Variant numberValue(WorkbookData& book, const biff::Cell& cell) {
    switch (book.valueKindOfXf(cell.xf)) {
        case format::ValueKind::Date:
            if (auto ole = calendar::serialToOleDate(cell.number, book.globals().date1904))
                return automation::Date{*ole};
            break;
        case format::ValueKind::Currency:
            // Currency holds four decimals; beyond its range a Double is all
            // that can be given.
            if (std::fabs(cell.number) < 9.2e14)
                return automation::Currency{std::llround(cell.number * 10000.0)};
            break;
        case format::ValueKind::Number:
            break;
    }
    return cell.number;
}

}  // namespace

automation::Variant cellValue(WorkbookData& book, std::size_t sheet, std::int32_t row,
                              std::int32_t col) {
    const auto cell =
        book.find(sheet, static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(col));
    return cell ? cellValue(book, *cell) : automation::Variant{};
}

automation::Variant cellValue(WorkbookData& book, const biff::Cell& cell) {
    switch (cell.type) {
        case biff::CellType::Number:
            return numberValue(book, cell);
        case biff::CellType::String:
            return cell.text;
        case biff::CellType::Boolean:
            return cell.code != 0;
        case biff::CellType::Error:
            return automation::ErrorValue{kErrorValueBase + cell.code};
        case biff::CellType::Blank:
            break;
    }
    return {};
}

}  // namespace xls::native
