#include "native/input/r1c1_reference.h"

#include <algorithm>
#include <cstddef>

#include "native/formula/sheet_name.h"

namespace xls::input {

namespace {

using formula::Area;
using formula::kLastCol;
using formula::kLastRow;

// More digits than any offset or number in the grid needs; longer runs are refused before
// they could overflow.
constexpr std::size_t kMaxDigits = 6;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// One coordinate after its letter: "3" (absolute, 1-based), "[-1]" (offset) or nothing (the
// base itself). Gives the 0-based index, or nullopt when malformed or off the grid.
std::optional<std::int32_t> coordinate(std::string_view s, std::size_t& i, std::int32_t base,
                                       std::int32_t last) {
    std::int64_t index = base;
    if (i < s.size() && s[i] == '[') {
        ++i;
        const bool negative = i < s.size() && s[i] == '-';
        if (negative) ++i;
        const std::size_t start = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == start || i - start > kMaxDigits || i >= s.size() || s[i] != ']')
            return std::nullopt;
        std::int64_t offset = 0;
        for (std::size_t k = start; k < i; ++k) offset = offset * 10 + (s[k] - '0');
        ++i;
        index = base + (negative ? -offset : offset);
    } else if (i < s.size() && isDigit(s[i])) {
        const std::size_t start = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (s[start] == '0' || i - start > kMaxDigits) return std::nullopt;
        std::int64_t n = 0;
        for (std::size_t k = start; k < i; ++k) n = n * 10 + (s[k] - '0');
        index = n - 1;
    }
    if (index < 0 || index > last) return std::nullopt;
    return static_cast<std::int32_t>(index);
}

struct Corner {
    std::optional<std::int32_t> row;
    std::optional<std::int32_t> col;
};

std::optional<Corner> corner(std::string_view s, std::int32_t baseRow, std::int32_t baseCol) {
    Corner c;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == 'R' || s[i] == 'r')) {
        ++i;
        c.row = coordinate(s, i, baseRow, kLastRow);
        if (!c.row) return std::nullopt;
    }
    if (i < s.size() && (s[i] == 'C' || s[i] == 'c')) {
        ++i;
        c.col = coordinate(s, i, baseCol, kLastCol);
        if (!c.col) return std::nullopt;
    }
    if (i != s.size() || (!c.row && !c.col)) return std::nullopt;
    return c;
}

std::string rowText(std::int32_t row) {
    return "R" + std::to_string(row + 1);
}
std::string colText(std::int32_t col) {
    return "C" + std::to_string(col + 1);
}

}  // namespace

std::optional<formula::ParsedReference> parseR1C1Reference(std::string_view text,
                                                           std::int32_t baseRow,
                                                           std::int32_t baseCol) {
    if (baseRow < 0 || baseRow > kLastRow || baseCol < 0 || baseCol > kLastCol) return std::nullopt;
    if (!text.empty() && text.front() == '=') text.remove_prefix(1);
    std::optional<formula::SheetPrefixSplit> split = formula::splitSheetPrefix(text);
    if (!split) return std::nullopt;
    const std::string_view cells = split->rest;
    const std::size_t colon = cells.find(':');
    const std::optional<Corner> first = corner(cells.substr(0, colon), baseRow, baseCol);
    if (!first) return std::nullopt;
    Corner last = *first;
    if (colon != std::string_view::npos) {
        const std::optional<Corner> second = corner(cells.substr(colon + 1), baseRow, baseCol);
        if (!second || second->row.has_value() != first->row.has_value() ||
            second->col.has_value() != first->col.has_value())
            return std::nullopt;
        last = *second;
    }
    Area area;
    area.firstRow = first->row ? std::min(*first->row, *last.row) : 0;
    area.lastRow = first->row ? std::max(*first->row, *last.row) : kLastRow;
    area.firstCol = first->col ? std::min(*first->col, *last.col) : 0;
    area.lastCol = first->col ? std::max(*first->col, *last.col) : kLastCol;
    return formula::ParsedReference{std::move(split->sheet), area};
}

std::string r1c1AreaText(const Area& area) {
    const bool wholeRows = area.firstCol == 0 && area.lastCol == kLastCol;
    const bool wholeCols = area.firstRow == 0 && area.lastRow == kLastRow;
    if (wholeRows) {
        if (area.firstRow == area.lastRow) return rowText(area.firstRow);
        return rowText(area.firstRow) + ":" + rowText(area.lastRow);
    }
    if (wholeCols) {
        if (area.firstCol == area.lastCol) return colText(area.firstCol);
        return colText(area.firstCol) + ":" + colText(area.lastCol);
    }
    const std::string first = rowText(area.firstRow) + colText(area.firstCol);
    if (area.firstRow == area.lastRow && area.firstCol == area.lastCol) return first;
    return first + ":" + rowText(area.lastRow) + colText(area.lastCol);
}

std::string r1c1Text(std::string_view sheet, const Area& area) {
    return "=" + formula::quotedSheetName(sheet) + "!" + r1c1AreaText(area);
}

}  // namespace xls::input
