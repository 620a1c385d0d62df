#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "native/formula/area.h"

namespace xls::formula {

// Column letters of a 0-based column: 0 -> "A", 25 -> "Z", 26 -> "AA".
std::string columnName(std::int32_t col);

// 0-based column of letters (either case) up to lastCol: A..IV for the
// .xls grid.
std::optional<std::int32_t> columnIndex(std::string_view letters, std::int32_t lastCol = kLastCol);

// "$B$2", "B$2", "$B2" or "B2" for a 0-based cell; '$' marks the
// absolute parts.
std::string cellName(std::int32_t row, std::int32_t col, bool rowAbsolute, bool colAbsolute);

}  // namespace xls::formula
