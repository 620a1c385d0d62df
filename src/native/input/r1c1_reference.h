#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "native/formula/a1_reference.h"
#include "native/formula/area.h"

namespace xls::input {

// Parses an R1C1-style reference as RefersToR1C1 and Range take it: an optional leading '=',
// an optional "Sheet1!" or "'My Sheet'!", then a cell (R3C2), an area (R3C2:R5C4), whole
// rows (R3, R3:R5) or whole columns (C2, C2:C4). Numbers in brackets are offsets from the
// 0-based base cell (R[1]C[-1]); a letter without a number is the base row or column itself
// (RC is the base cell). Letters in either case; corners in any order. nullopt for anything
// else, including references that fall outside the .xls grid (65536 x 256), numbers with
// leading zeros and blanks.
std::optional<formula::ParsedReference> parseR1C1Reference(std::string_view text,
                                                           std::int32_t baseRow = 0,
                                                           std::int32_t baseCol = 0);

// The area as the application writes it in R1C1 style without a sheet: "R3C2", "R3C2:R5C4",
// "R3", "R3:R5", "C2", "C2:C4"; the whole sheet is written as all its rows.
std::string r1c1AreaText(const formula::Area& area);

// The reference as RefersToR1C1 reads back: "=Sheet1!R3C2", "='My Sheet'!R1C1:R2C2".
std::string r1c1Text(std::string_view sheet, const formula::Area& area);

}  // namespace xls::input
