#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "native/biff/record_body.h"
#include "native/biff/worksheet.h"

// Handlers of the worksheet records, shared by the table in
// worksheet_parser.cpp, and what the cell index shares with that parser.
namespace xls::biff::detail {

struct SheetState {
    Worksheet& sheet;
    const Globals& globals;
    // Index in sheet.cells of a FORMULA whose string result the next STRING
    // record carries; npos when none is waiting.
    std::size_t pendingString = npos;
    // Cells arrive in row order in nearly every file; sorting is skipped
    // unless one arrives out of order.
    bool inOrder = true;
    // LABELSST cells whose index lies past the string table.
    std::size_t badSstCount = 0;
    std::uint32_t firstBadSstOffset = 0;
    std::uint32_t firstBadSstIndex = 0;

    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    Cell& addCell(std::uint16_t row, std::uint16_t col, std::uint16_t xf, CellType type);
};

// The handler of record id in a sheet of the given BIFF version, or nullptr
// for a record the sheet readers pass over.
const Handler<SheetState>* sheetHandler(int biffVersion, std::uint16_t id);

// Sheet `index` of the globals; throws BiffError when there is none.
const SheetEntry& sheetAt(const Globals& globals, std::size_t index);

// A sheet's substream opened at its BOF: the reader stands after the BOF.
struct SheetStart {
    RecordReader reader;
    Record bof;
    bool chart = false;  // a chart's records hold no cells
};
// Throws BiffError when the sheet's position is not a BOF inside the stream.
SheetStart openSheet(std::span<const std::uint8_t> stream, const SheetEntry& entry);

// The warning for LABELSST cells that index past the string table, if any.
std::optional<std::string> badSstWarning(const SheetState& s);

// Sorts the cells by position when needed and keeps the last record of
// each position.
void settleCells(std::vector<Cell>& cells, bool inOrder);

// Throws BiffError unless the record has the fixed size of its kind.
void expectSize(const RecordBody& r, std::size_t size);
// MULRK and MULBLANK: the number of entries, which the column range must
// match; throws BiffError otherwise.
std::size_t runLength(const RecordBody& r, std::size_t entrySize);

void parse_formula(SheetState& s, const RecordBody& r);
void parse_colinfo(SheetState& s, const RecordBody& r);
void parse_mulrk(SheetState& s, const RecordBody& r);
void parse_mulblank(SheetState& s, const RecordBody& r);
void parse_rstring(SheetState& s, const RecordBody& r);
void parse_labelsst(SheetState& s, const RecordBody& r);
void parse_hlink(SheetState& s, const RecordBody& r);
void parse_dimensions(SheetState& s, const RecordBody& r);
void parse_blank(SheetState& s, const RecordBody& r);
void parse_number(SheetState& s, const RecordBody& r);
void parse_label(SheetState& s, const RecordBody& r);
void parse_boolerr(SheetState& s, const RecordBody& r);
void parse_string(SheetState& s, const RecordBody& r);
void parse_row(SheetState& s, const RecordBody& r);
void parse_rk(SheetState& s, const RecordBody& r);

// BIFF5/BIFF7 layouts.
void parse_label5(SheetState& s, const RecordBody& r);
void parse_rstring5(SheetState& s, const RecordBody& r);
void parse_string5(SheetState& s, const RecordBody& r);
void parse_dimensions5(SheetState& s, const RecordBody& r);

}  // namespace xls::biff::detail
