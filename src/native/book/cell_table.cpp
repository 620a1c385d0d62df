#include "native/book/cell_table.h"

#include <algorithm>

namespace xls::book {

namespace {

auto columnOrder = [](const Cell& c, std::uint32_t col) { return c.col < col; };

}  // namespace

const Cell* CellTable::find(std::uint32_t row, std::uint32_t col) const {
    if (row >= rows_.size()) return nullptr;
    const auto& cells = rows_[row];
    auto it = std::lower_bound(cells.begin(), cells.end(), col, columnOrder);
    return it != cells.end() && it->col == col ? &*it : nullptr;
}

Cell& CellTable::place(std::uint32_t row, std::uint32_t col) {
    if (row >= rows_.size()) rows_.resize(row + 1);
    auto& cells = rows_[row];
    // The rows of a list have one shape: a new row takes the size of the
    // row above rather than growing by doubling into slack.
    if (cells.capacity() == 0 && row > 0) cells.reserve(rows_[row - 1].size());
    // Cells mostly arrive left to right.
    auto it = !cells.empty() && cells.back().col < col
                  ? cells.end()
                  : std::lower_bound(cells.begin(), cells.end(), col, columnOrder);
    if (it != cells.end() && it->col == col) return *it;
    Cell fresh;
    fresh.row = static_cast<std::uint16_t>(row);
    fresh.col = static_cast<std::uint16_t>(col);
    ++count_;
    return *cells.insert(it, std::move(fresh));
}

void CellTable::erase(std::uint32_t row, std::uint32_t col) {
    if (row >= rows_.size()) return;
    auto& cells = rows_[row];
    auto it = std::lower_bound(cells.begin(), cells.end(), col, columnOrder);
    if (it == cells.end() || it->col != col) return;
    cells.erase(it);
    --count_;
    trim();
}

void CellTable::eraseRows(std::uint32_t first, std::uint32_t last) {
    if (first >= rows_.size()) return;
    const auto end = std::min<std::size_t>(std::size_t{last} + 1, rows_.size());
    for (std::size_t r = first; r < end; ++r) count_ -= rows_[r].size();
    rows_.erase(rows_.begin() + first, rows_.begin() + static_cast<std::ptrdiff_t>(end));
    for (std::size_t r = first; r < rows_.size(); ++r)
        for (Cell& c : rows_[r]) c.row = static_cast<std::uint16_t>(r);
    trim();
}

void CellTable::trim() {
    while (!rows_.empty() && rows_.back().empty()) rows_.pop_back();
}

}  // namespace xls::book
