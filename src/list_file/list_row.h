#pragma once

#include <string>
#include <vector>

#include "automation/variant.h"

namespace mokuji::list_file {

// One workbook's row of the list: a value for each named entry of the
// column table, in table order, each as the workbook holds it (text, number,
// date, boolean or empty). Values travel typed and bound to their column
// from the workbook to the list; nothing is joined into text and split
// again, so a tab or a number-like text arrives as it was.
struct ListRow {
    // The workbook by its path relative to the list's folder ("/" between
    // folders; the bare file name for one beside the list), for its link,
    // for matching on an update and for messages.
    std::string fileName;
    std::vector<automation::Variant> values;
};

// The rows of one run, one per workbook that yielded a row, in the order
// read. No fixed limit: the list sheet bounds the rows later.
struct RowStore {
    std::vector<ListRow> rows;
};

}  // namespace mokuji::list_file
