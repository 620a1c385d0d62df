#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "native/book/cell.h"

namespace xls::book {

// Where the rows of a sheet not yet made into cells are read from: the
// records of the file the sheet was loaded from.
class RowSource {
  public:
    virtual ~RowSource() = default;
    // The cells of row `row` of the file, by column; their row is set by
    // the caller.
    virtual std::vector<Cell> cellsOf(std::uint32_t row) const = 0;
    // One cell of it, if the row has one there.
    virtual std::optional<Cell> cellAt(std::uint32_t row, std::uint32_t col) const = 0;
    // The memory kept for as long as rows are read from here.
    virtual std::size_t heldBytes() const = 0;
};

// The cells of a sheet, a vector of them for each row, sorted by column. A
// list grows at its bottom and a row holds at most 256 cells, so a change
// costs at most one row's move, and a cell costs its own size rather than
// a tree node's.
//
// A row loaded from a file can stay in the file, pending, until something
// asks for its cells: an update deletes the old rows of a list without
// their ever being made into cells, and writing reads a pending row from
// the file for as long as it is written. Pending rows hold no formulas.
class CellTable {
  public:
    // A cell of a pending row is read for the call alone: the pointer holds
    // until the next call.
    const Cell* find(std::uint32_t row, std::uint32_t col) const;
    Cell* find(std::uint32_t row, std::uint32_t col) {
        make(row);
        return const_cast<Cell*>(static_cast<const CellTable&>(*this).find(row, col));
    }
    // The cell at (row, col); a new one is Blank with format 15.
    Cell& place(std::uint32_t row, std::uint32_t col);
    void erase(std::uint32_t row, std::uint32_t col);

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // One past the last row that may hold cells; rows below it are empty.
    std::uint32_t rowEnd() const { return static_cast<std::uint32_t>(rows_.size()); }
    bool rowHasCells(std::uint32_t r) const {
        return r < rows_.size() &&
               (rows_[r].pending ? rows_[r].count > 0 : !rows_[r].cells.empty());
    }
    // The cells of a row, made from the file first when pending.
    std::span<const Cell> row(std::uint32_t r) const;
    std::span<Cell> row(std::uint32_t r);

    // f(cells of row r): a pending row is read for the call and not kept.
    template <class F>
    void visitRow(std::uint32_t r, F&& f) const {
        if (r >= rows_.size()) return f(std::span<const Cell>());
        if (!rows_[r].pending) return f(std::span<const Cell>(rows_[r].cells));
        const std::vector<Cell> cells = readPending(r);
        f(std::span<const Cell>(cells));
    }
    // Every cell in row, then column, order; pending rows are read for the
    // call and not kept.
    template <class F>
    void forEach(F&& f) const {
        for (std::uint32_t r = 0; r < rows_.size(); ++r)
            visitRow(r, [&](std::span<const Cell> cells) {
                for (const Cell& c : cells) f(c);
            });
    }
    // As forEach, telling f(cell, lasting) whether the cell outlives the
    // call: a pending row's cells are read for it alone.
    template <class F>
    void forEachTelling(F&& f) const {
        for (std::uint32_t r = 0; r < rows_.size(); ++r) {
            if (!rows_[r].pending) {
                for (const Cell& c : rows_[r].cells) f(c, true);
                continue;
            }
            for (const Cell& c : readPending(r)) f(c, false);
        }
    }
    // Every cell made already, to change; pending rows are left as they are.
    template <class F>
    void forEachHeld(F&& f) {
        for (auto& row : rows_)
            for (Cell& c : row.cells) f(c);
    }
    template <class F>
    void forEachHeld(F&& f) const {
        for (const auto& row : rows_)
            for (const Cell& c : row.cells) f(c);
    }
    // Removes the cells made already for which pred holds.
    template <class Pred>
    void eraseHeldIf(Pred&& pred) {
        for (auto& row : rows_) count_ -= std::erase_if(row.cells, pred);
        trim();
    }

    // Removes rows first..last and moves the rows below up by their count.
    // The rows still pending are made into cells when they would cost less
    // than the file kept for them: an update deletes the data rows of a
    // list and keeps the few above them.
    void eraseRows(std::uint32_t first, std::uint32_t last);

    // Room for rows 0..count-1, so that a long sheet's rows are not grown
    // by doubling into slack.
    void reserveRows(std::uint32_t count) { rows_.reserve(count); }

    // Row r, which holds no cells yet, stays in source as its row `from`,
    // with `count` cells, until asked for.
    void leavePending(std::uint32_t r, std::shared_ptr<const RowSource> source, std::uint32_t from,
                      std::uint16_t count);

  private:
    struct Row {
        std::vector<Cell> cells;
        std::shared_ptr<const RowSource> pending;  // set while the row is in the file
        std::uint32_t from = 0;
        std::uint16_t count = 0;  // cells of a pending row
    };
    std::vector<Cell> readPending(std::uint32_t r) const;
    void make(std::uint32_t r) const;
    void trim();

    // Rows are made from the file on first use, also through const members.
    mutable std::vector<Row> rows_;
    mutable std::optional<Cell> looked_;  // the cell find read from a pending row
    std::size_t count_ = 0;
    mutable std::size_t pendingCount_ = 0;  // cells of the pending rows
};

}  // namespace xls::book
