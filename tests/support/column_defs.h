#pragma once

#include <string>
#include <tuple>
#include <vector>

#include "list_file/column_table.h"

namespace fake {

// A column table whose entries are the given names with their fallback
// rows and columns, from the first entry on, as a list file leaves it.
inline mokuji::list_file::ColumnTable columnTable(
    const std::vector<std::tuple<std::string, int, int>>& defs) {
    mokuji::list_file::ColumnTable columns{};
    int j = 0;
    for (const auto& [name, row, col] : defs) {
        ++j;
        columns.g_item_name[j] = name;
        columns.g_item_row[j] = row;
        columns.g_item_col[j] = col;
    }
    return columns;
}

}  // namespace fake
