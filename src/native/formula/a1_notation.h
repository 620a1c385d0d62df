#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace xls::formula {

// Column letters of a 0-based column: 0 -> "A", 25 -> "Z", 26 -> "AA".
std::string columnName(std::int32_t col);

// 0-based column of letters (either case) within the .xls grid, A..IV.
std::optional<std::int32_t> columnIndex(std::string_view letters);

// "$B$2", "B$2", "$B2" or "B2" for a 0-based cell; '$' marks the
// absolute parts.
std::string cellName(std::int32_t row, std::int32_t col, bool rowAbsolute, bool colAbsolute);

}  // namespace xls::formula
