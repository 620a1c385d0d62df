#pragma once

#include <string>
#include <vector>

namespace mokuji::engine {

// The row texts of one run, one per workbook that yielded a row, in the
// order read. No fixed limit: the list sheet bounds the rows later.
struct RowStore {
    std::vector<std::string> row_text;

    // Index of the last row, -1 when there is none.
    int row_max() const { return static_cast<int>(row_text.size()) - 1; }
    void reset() { row_text.clear(); }
};

}  // namespace mokuji::engine
