#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "native/biff/globals.h"
#include "native/biff/worksheet.h"

namespace xls::biff {

// A worksheet opened to read values, not to edit them. One walk over the
// sheet's record headers notes, row by row, where the value records lie;
// a cell is decoded only when it is asked for. A grid of formatted blank
// cells costs nothing, however many it holds, and neither do the records
// that only an editor or a writer needs (hyperlinks, row and column
// formats, the record list).
//
// The index views the stream and the globals it was built from: both must
// outlive it and stay where they are.
class CellIndex {
  public:
    // Throws BiffError for the damage for which parseWorksheet throws.
    // withBlanks: every blank cell is kept, for an editor, which writes them
    // back with their formats; row then gives what parseWorksheet would.
    static CellIndex build(std::span<const std::uint8_t> workbookStream, const Globals& globals,
                           std::size_t sheetIndex, bool withBlanks = false);

    // The cell parseWorksheet's Worksheet::find would give, or nothing where
    // that holds no value: a blank cell that replaces no earlier value
    // record is not kept.
    std::optional<Cell> find(std::uint16_t row, std::uint16_t col) const;

    // The cells of a row by column, as find gives them.
    std::vector<Cell> row(std::uint16_t row) const;

    // One past the last row that may hold cells.
    std::uint32_t rowLimit() const {
        return rowStart_.empty() ? 0 : static_cast<std::uint32_t>(rowStart_.size() - 1);
    }

    // Damage worked around, as in Worksheet::warnings.
    const std::vector<std::string>& warnings() const { return warnings_; }

  private:
    void walk(const SheetEntry& entry);
    void groupByRow(std::uint16_t lastRow);
    std::span<const std::uint32_t> recordsOf(std::uint16_t row) const;
    // Decodes the record at offset into cells (a MULRK or MULBLANK: the one
    // at col, or all of them when col is empty), appending to out.
    void decode(std::uint32_t offset, std::optional<std::uint16_t> col,
                std::vector<Cell>& out) const;

    std::span<const std::uint8_t> stream_;
    const Globals* globals_ = nullptr;
    // Offsets of the value records, row by row; within a row in stream
    // order. Row r's are offsets_[rowStart_[r]] up to offsets_[rowStart_[r + 1]].
    std::vector<std::uint32_t> offsets_;
    std::vector<std::uint32_t> rowStart_;
    // Every record lies after the one before it in row and column, as in
    // nearly every file: a row is then searched by bisection, and a record
    // never covers a cell that another one does.
    bool ordered_ = true;
    bool withBlanks_ = false;
    std::vector<std::string> warnings_;
};

}  // namespace xls::biff
