#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "native/formula/area.h"
#include "native/formula/name_tokens.h"
#include "native/io/byte_reader.h"

namespace xls::formula {

// Whether a token id, folded by ptg::baseId, is one of the 3-D reference
// tokens readSheetRef understands.
bool isSheetRefToken(std::uint8_t baseId);

// Reads the operand of a tRef3d, tArea3d, tRefErr3d or tAreaErr3d whose id
// byte r has just passed. nullopt when the reference cannot exist (an
// absolute column past the grid's) or baseId is no such token;
// io::ReadPastEnd when the bytes stop short.
std::optional<SheetRef> readSheetRef(io::ByteReader& r, std::uint8_t baseId,
                                     const Grid& grid = kBinaryGrid);

// Appends the absolute reference a name's formula holds for the area over
// EXTERNSHEET entry ixti: a tRef3d when singleCell, else a tArea3d.
void appendSheetRef(std::vector<std::uint8_t>& out, std::uint16_t ixti, const Area& area,
                    bool singleCell);

}  // namespace xls::formula
