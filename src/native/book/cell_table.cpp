#include "native/book/cell_table.h"

#include <algorithm>

namespace xls::book {

namespace {

auto columnOrder = [](const Cell& c, std::uint32_t col) { return c.col < col; };

}  // namespace

std::vector<Cell> CellTable::readPending(std::uint32_t r) const {
    std::vector<Cell> cells = rows_[r].pending->cellsOf(rows_[r].from);
    for (Cell& c : cells) c.row = r;
    return cells;
}

void CellTable::make(std::uint32_t r) const {
    if (r >= rows_.size() || !rows_[r].pending) return;
    Row& row = rows_[r];
    row.cells = readPending(r);
    row.pending.reset();
    pendingCount_ -= row.count;
}

std::span<const Cell> CellTable::row(std::uint32_t r) const {
    if (r >= rows_.size()) return {};
    make(r);
    return rows_[r].cells;
}

std::span<Cell> CellTable::row(std::uint32_t r) {
    if (r >= rows_.size()) return {};
    make(r);
    return rows_[r].cells;
}

const Cell* CellTable::find(std::uint32_t row, std::uint32_t col) const {
    if (row >= rows_.size()) return nullptr;
    if (const Row& r = rows_[row]; r.pending) {
        // Looking is not using: a scan down a column of an old list must
        // not make every row of it into cells.
        looked_ = r.pending->cellAt(r.from, col);
        if (!looked_) return nullptr;
        looked_->row = row;
        return &*looked_;
    }
    const auto& cells = rows_[row].cells;
    auto it = std::lower_bound(cells.begin(), cells.end(), col, columnOrder);
    return it != cells.end() && it->col == col ? &*it : nullptr;
}

Cell& CellTable::place(std::uint32_t row, std::uint32_t col) {
    if (row >= rows_.size()) rows_.resize(row + 1);
    make(row);
    auto& cells = rows_[row].cells;
    // The rows of a list have one shape: a new row takes the size of the
    // row above rather than growing by doubling into slack.
    if (cells.capacity() == 0 && row > 0) cells.reserve(rows_[row - 1].cells.size());
    // Cells mostly arrive left to right.
    auto it = !cells.empty() && cells.back().col < col
                  ? cells.end()
                  : std::lower_bound(cells.begin(), cells.end(), col, columnOrder);
    if (it != cells.end() && it->col == col) return *it;
    Cell fresh;
    fresh.row = row;
    fresh.col = static_cast<std::uint16_t>(col);
    ++count_;
    return *cells.insert(it, std::move(fresh));
}

void CellTable::erase(std::uint32_t row, std::uint32_t col) {
    if (row >= rows_.size()) return;
    make(row);
    auto& cells = rows_[row].cells;
    auto it = std::lower_bound(cells.begin(), cells.end(), col, columnOrder);
    if (it == cells.end() || it->col != col) return;
    cells.erase(it);
    --count_;
    trim();
}

void CellTable::eraseRows(std::uint32_t first, std::uint32_t last) {
    if (first >= rows_.size()) return;
    const auto end = std::min<std::size_t>(std::size_t{last} + 1, rows_.size());
    std::shared_ptr<const RowSource> source;
    for (std::size_t r = first; r < end; ++r) {
        if (rows_[r].pending) {
            count_ -= rows_[r].count;
            pendingCount_ -= rows_[r].count;
            source = rows_[r].pending;
        } else {
            count_ -= rows_[r].cells.size();
        }
    }
    rows_.erase(rows_.begin() + first, rows_.begin() + static_cast<std::ptrdiff_t>(end));
    for (std::size_t r = first; r < rows_.size(); ++r)
        for (Cell& c : rows_[r].cells) c.row = r;
    if (source && pendingCount_ * sizeof(Cell) < source->heldBytes())
        for (std::uint32_t r = 0; r < rows_.size() && pendingCount_ > 0; ++r) make(r);
    trim();
}

void CellTable::leavePending(std::uint32_t r, std::shared_ptr<const RowSource> source,
                             std::uint32_t from, std::uint16_t count) {
    if (count == 0) return;
    if (r >= rows_.size()) rows_.resize(r + 1);
    Row& row = rows_[r];
    count_ -= row.pending ? row.count : row.cells.size();
    if (row.pending) pendingCount_ -= row.count;
    count_ += count;
    pendingCount_ += count;
    row.cells.clear();
    row.pending = std::move(source);
    row.from = from;
    row.count = count;
    trim();
}

void CellTable::trim() {
    while (!rows_.empty() && !rows_.back().pending && rows_.back().cells.empty()) rows_.pop_back();
}

}  // namespace xls::book
