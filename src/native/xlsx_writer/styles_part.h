#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "native/book/workbook.h"

namespace xls::xlsx_writer {

// styles.xml of a workbook, and where each of its cell formats went: the
// binary format numbers cell and style formats in one list, the zip-based
// one in two.
struct StylesPart {
    std::string xml;
    // For each XF of the workbook, its index among the cell formats
    // (cellXfs); 0 for a style XF, which no cell refers to.
    std::vector<std::uint32_t> cellXfIndex;
};

StylesPart writeStyles(const book::Workbook& book);

}  // namespace xls::xlsx_writer
