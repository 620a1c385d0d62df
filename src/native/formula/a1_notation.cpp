#include "native/formula/a1_notation.h"

#include <algorithm>

#include "native/formula/area.h"
#include "native/text/ascii.h"

namespace xls::formula {

std::string columnName(std::int32_t col) {
    std::string letters;
    for (std::int64_t n = static_cast<std::int64_t>(col) + 1; n > 0; n = (n - 1) / 26)
        letters.push_back(static_cast<char>('A' + (n - 1) % 26));
    std::reverse(letters.begin(), letters.end());
    return letters;
}

std::optional<std::int32_t> columnIndex(std::string_view letters, std::int32_t lastCol) {
    // Three letters reach XFD; a fourth would pass any grid.
    if (letters.empty() || letters.size() > 3) return std::nullopt;
    std::int32_t n = 0;
    for (char c : letters) {
        c = text::asciiUpper(c);
        if (c < 'A' || c > 'Z') return std::nullopt;
        n = n * 26 + (c - 'A' + 1);
    }
    if (n - 1 > lastCol) return std::nullopt;
    return n - 1;
}

std::string cellName(std::int32_t row, std::int32_t col, bool rowAbsolute, bool colAbsolute) {
    std::string text;
    if (colAbsolute) text += '$';
    text += columnName(col);
    if (rowAbsolute) text += '$';
    text += std::to_string(static_cast<std::int64_t>(row) + 1);
    return text;
}

}  // namespace xls::formula
