#include "native/formula/a1_reference.h"

#include <algorithm>
#include <cstddef>

#include "native/formula/a1_notation.h"
#include "native/formula/sheet_name.h"

namespace xls::formula {

namespace {

// One side of an A1 reference: column letters, row digits, or both.
struct Corner {
    std::optional<std::int32_t> col;
    std::optional<std::int32_t> row;
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::optional<std::int32_t> rowIndex(std::string_view digits, std::int32_t lastRow) {
    if (digits.empty() || digits.size() > 7 || digits.front() == '0') return std::nullopt;
    std::int32_t n = 0;
    for (char c : digits) n = n * 10 + (c - '0');
    if (n - 1 > lastRow) return std::nullopt;
    return n - 1;
}

std::optional<Corner> parseCorner(std::string_view s, const Grid& grid) {
    Corner corner;
    std::size_t i = 0;
    const bool colDollar = i < s.size() && s[i] == '$';
    if (colDollar) ++i;
    const std::size_t lettersStart = i;
    while (i < s.size() && isLetter(s[i])) ++i;
    if (i > lettersStart) {
        corner.col = columnIndex(s.substr(lettersStart, i - lettersStart), grid.lastCol);
        if (!corner.col) return std::nullopt;
    }
    bool rowDollar = false;
    if (i < s.size() && s[i] == '$') {
        // "$1" is a row; "A$1" a cell; "$A$" or "$$1" nothing.
        if (!corner.col && colDollar) return std::nullopt;
        rowDollar = true;
        ++i;
    }
    const std::size_t digitsStart = i;
    while (i < s.size() && isDigit(s[i])) ++i;
    if (i != s.size()) return std::nullopt;
    if (i > digitsStart) {
        corner.row = rowIndex(s.substr(digitsStart, i - digitsStart), grid.lastRow);
        if (!corner.row) return std::nullopt;
    } else if (rowDollar) {
        return std::nullopt;
    }
    if (!corner.col && !corner.row) return std::nullopt;
    return corner;
}

std::optional<Area> parseArea(std::string_view s, const Grid& grid) {
    const std::size_t colon = s.find(':');
    const std::optional<Corner> first = parseCorner(s.substr(0, colon), grid);
    if (!first) return std::nullopt;
    if (colon == std::string_view::npos) {
        if (!first->col || !first->row) return std::nullopt;
        return Area{*first->row, *first->col, *first->row, *first->col};
    }
    const std::optional<Corner> last = parseCorner(s.substr(colon + 1), grid);
    if (!last) return std::nullopt;
    if (first->col.has_value() != last->col.has_value() ||
        first->row.has_value() != last->row.has_value())
        return std::nullopt;
    Area area;
    area.firstRow = first->row ? std::min(*first->row, *last->row) : 0;
    area.lastRow = first->row ? std::max(*first->row, *last->row) : grid.lastRow;
    area.firstCol = first->col ? std::min(*first->col, *last->col) : 0;
    area.lastCol = first->col ? std::max(*first->col, *last->col) : grid.lastCol;
    return area;
}

}  // namespace

std::optional<ParsedReference> parseA1Reference(std::string_view text, const Grid& grid) {
    std::optional<SheetPrefixSplit> split = splitSheetPrefix(text);
    if (!split) return std::nullopt;
    const std::optional<Area> area = parseArea(split->rest, grid);
    if (!area) return std::nullopt;
    return ParsedReference{std::move(split->sheet), *area};
}

}  // namespace xls::formula
