#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "native/book/sheet.h"

namespace xls::xlsx_writer {

// The workbook's text cells as one table, each text once.
class SharedStrings {
  public:
    std::uint32_t index(const std::string& text);
    std::string xml() const;

  private:
    std::unordered_map<std::string, std::uint32_t> seen_;
    std::vector<const std::string*> order_;
    std::uint64_t uses_ = 0;
};

// A worksheet part and the relationships of its links.
struct SheetPart {
    std::string xml;
    std::string relsXml;  // "" when the sheet has no link that leaves it
};

// sheetN.xml of one worksheet. cellXfIndex: where each format of the
// workbook went among the zip-based format's cell formats. A formula cell
// is written with its cached value alone.
SheetPart writeSheet(const book::Sheet& sheet, const std::vector<std::uint32_t>& cellXfIndex,
                     SharedStrings& strings);

// The address a link of the binary model takes as a relationship's target.
std::string linkTarget(const book::Hyperlink& link);

}  // namespace xls::xlsx_writer
