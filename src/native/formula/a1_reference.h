#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "native/formula/area.h"

namespace xls::formula {

// A reference typed as text, with the sheet name unquoted and unescaped.
struct ParsedReference {
    std::optional<std::string> sheet;
    Area area;
};

// Parses an A1-style reference to one rectangle of the grid: a cell
// (A1, $A$1), an area (A1:B2), whole columns (A:B) or whole rows (1:3),
// optionally after "Sheet1!" or "'My Sheet'!" ('' inside quotes is one
// quote). Letters in either case; columns and rows within the grid (A..IV
// and 1..65536 for .xls); corners in
// any order. Everything else is nullopt: names (担当者), R1C1 texts, "A1B",
// a lone column or row, blanks, 3-D or workbook prefixes, leading zeros
// in row numbers, and an unquoted sheet name that would need quotes.
std::optional<ParsedReference> parseA1Reference(std::string_view text,
                                                const Grid& grid = kBinaryGrid);

}  // namespace xls::formula
