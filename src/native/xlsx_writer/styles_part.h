#pragma once

#include <array>
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
// The names the zip-based format gives the binary model's numbers of a
// cell edge's line, a fill's pattern and the two alignments, by number.
inline constexpr std::array<const char*, 14> kLineStyleNames = {"none",
                                                                "thin",
                                                                "medium",
                                                                "dashed",
                                                                "dotted",
                                                                "thick",
                                                                "double",
                                                                "hair",
                                                                "mediumDashed",
                                                                "dashDot",
                                                                "mediumDashDot",
                                                                "dashDotDot",
                                                                "mediumDashDotDot",
                                                                "slantDashDot"};
inline constexpr std::array<const char*, 19> kPatternNames = {
    "none",           "solid",           "mediumGray",    "darkGray",  "lightGray",
    "darkHorizontal", "darkVertical",    "darkDown",      "darkUp",    "darkGrid",
    "darkTrellis",    "lightHorizontal", "lightVertical", "lightDown", "lightUp",
    "lightGrid",      "lightTrellis",    "gray125",       "gray0625"};
inline constexpr std::array<const char*, 8> kHorizontalNames = {
    "general", "left", "center", "right", "fill", "justify", "centerContinuous", "distributed"};
inline constexpr std::array<const char*, 5> kVerticalNames = {"top", "center", "bottom", "justify",
                                                              "distributed"};

// A number format every reader knows by its id alone.
bool universalNumberFormat(std::uint16_t id);

}  // namespace xls::xlsx_writer
