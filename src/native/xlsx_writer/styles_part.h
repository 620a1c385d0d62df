#pragma once

#include <cstdint>
#include <optional>
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

// The elements of one format, for a styles part made elsewhere: its font,
// its fill, its border, and the <xf> itself with the numbers those went
// to (parent: the style format of a cell format; none for a style format).
std::string fontXml(const biff::Font& font);
std::string fillXml(const book::CellStyle& style);
std::string borderXml(const book::CellStyle& style);
std::string cellXfXml(const book::CellStyle& style, std::uint32_t numFmtId, std::uint32_t fontId,
                      std::uint32_t fillId, std::uint32_t borderId,
                      std::optional<std::uint32_t> parent);
// A number format every reader knows by its id alone.
bool universalNumberFormat(std::uint16_t id);

}  // namespace xls::xlsx_writer
