#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "native/book/cell.h"

namespace xls::book {

// The cells of a sheet, a vector of them for each row, sorted by column. A
// list grows at its bottom and a row holds at most 256 cells, so a change
// costs at most one row's move, and a cell costs its own size rather than
// a tree node's.
class CellTable {
  public:
    const Cell* find(std::uint32_t row, std::uint32_t col) const;
    Cell* find(std::uint32_t row, std::uint32_t col) {
        return const_cast<Cell*>(static_cast<const CellTable&>(*this).find(row, col));
    }
    // The cell at (row, col); a new one is Blank with format 15.
    Cell& place(std::uint32_t row, std::uint32_t col);
    void erase(std::uint32_t row, std::uint32_t col);

    std::size_t size() const { return count_; }
    bool empty() const { return count_ == 0; }
    // One past the last row that may hold cells; rows below it are empty.
    std::uint32_t rowEnd() const { return static_cast<std::uint32_t>(rows_.size()); }
    std::span<const Cell> row(std::uint32_t r) const {
        return r < rows_.size() ? std::span<const Cell>(rows_[r]) : std::span<const Cell>();
    }
    std::span<Cell> row(std::uint32_t r) {
        return r < rows_.size() ? std::span<Cell>(rows_[r]) : std::span<Cell>();
    }

    // Every cell in row, then column, order.
    template <class F>
    void forEach(F&& f) const {
        for (const auto& cells : rows_)
            for (const Cell& c : cells) f(c);
    }
    template <class F>
    void forEach(F&& f) {
        for (auto& cells : rows_)
            for (Cell& c : cells) f(c);
    }
    template <class Pred>
    void eraseIf(Pred&& pred) {
        for (auto& cells : rows_) count_ -= std::erase_if(cells, pred);
        trim();
    }

    // Removes rows first..last and moves the rows below up by their count.
    void eraseRows(std::uint32_t first, std::uint32_t last);

  private:
    void trim();

    std::vector<std::vector<Cell>> rows_;
    std::size_t count_ = 0;
};

}  // namespace xls::book
