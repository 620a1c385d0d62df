#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace mokuji::list_file {

// Marks a row or column number that is not given.
inline constexpr std::int32_t kNoNumber = 99999;
// Entries 1 to kMaxColumns describe the columns of an .xls list; entry 0 is
// never read.
inline constexpr int kMaxColumns = 250;
// An .xlsx list takes as many as its sheet has columns right of the number
// column (C to XFD).
inline constexpr int kMaxColumnsXlsx = 16382;

// Where a column's fallback cell lies when the template's named cell is not
// on its first sheet: the sheet's name and its place among the sheets
// (1-based). Empty and 0 for the first sheet.
struct FallbackSheet {
    std::string name;
    std::int32_t position = 0;
    friend bool operator==(const FallbackSheet&, const FallbackSheet&) = default;
};

// The columns of the list: a name per column and the row and column of the
// cell to fall back on when a workbook lacks the name. An empty name marks a
// free entry. The row array is larger than the others, as stored lists have
// always had it.
//
// Entries 1 to size() are held: kMaxColumns, or as many as a reader found
// past them for a list that has room for more.
struct ColumnTable {
    ColumnTable() : ColumnTable(kMaxColumns) {}
    explicit ColumnTable(int size) { resize(size); }

    int size() const { return static_cast<int>(g_item_name.size()) - 1; }
    // New entries are free; entries past size go.
    void resize(int size) {
        const auto n = static_cast<std::size_t>(std::max(size, 0)) + 1;
        g_item_name.resize(n);
        g_item_row.resize(std::max<std::size_t>(n, 1001));
        g_item_col.resize(n);
        listColumn.resize(n);
        fallbackSheet.resize(n);
    }

    std::vector<std::string> g_item_name;
    std::vector<std::int32_t> g_item_row;
    std::vector<std::int32_t> g_item_col;
    // The column of the list sheet whose header carries the entry's name,
    // as read back from a list file; 0 for a new list, which places its
    // columns in table order. An update writes each value under its own
    // header, wherever the user moved it or put other columns between.
    std::vector<std::int32_t> listColumn;
    // The sheet of each entry's fallback cell.
    std::vector<FallbackSheet> fallbackSheet;
};

}  // namespace mokuji::list_file
