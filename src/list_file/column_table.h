#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace mokuji::list_file {

// Marks a row or column number that is not given.
inline constexpr std::int32_t kNoNumber = 99999;
// Entries 1 to kMaxColumns describe list columns; entry 0 is never read.
inline constexpr int kMaxColumns = 250;

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
struct ColumnTable {
    std::array<std::string, kMaxColumns + 1> g_item_name;
    std::array<std::int32_t, 1001> g_item_row{};
    std::array<std::int32_t, kMaxColumns + 1> g_item_col{};
    // The column of the list sheet whose header carries the entry's name,
    // as read back from a list file; 0 for a new list, which places its
    // columns in table order. An update writes each value under its own
    // header, wherever the user moved it or put other columns between.
    std::array<std::int32_t, kMaxColumns + 1> listColumn{};
    // The sheet of each entry's fallback cell.
    std::array<FallbackSheet, kMaxColumns + 1> fallbackSheet{};
};

}  // namespace mokuji::list_file
