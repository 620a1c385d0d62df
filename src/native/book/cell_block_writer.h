#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "native/book/sheet.h"

namespace xls::book {

class StringTable;

// Appends the cell table: ROW records and cells in blocks of 32 rows, each
// closed by a DBCELL whose offsets are taken from what was written.
// sheetStart: position of the sheet's BOF in out (DBCELL offsets are
// relative, so only for the checks).
void writeCellTable(std::vector<std::uint8_t>& out, const CellTable& cells,
                    const std::map<std::uint32_t, RowInfo>& rows, std::uint16_t defaultRowHeight,
                    const StringTable& strings);

// DIMENSIONS for these cells: first row, last row + 1, first column, last
// column + 1; zeros for an empty sheet.
void writeDimensions(std::vector<std::uint8_t>& out, const CellTable& cells);

}  // namespace xls::book
