#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "native/book/sheet.h"

namespace xls::xlsx_writer {

// How a text cell holds its text: the rest of its element after the
// format, from the type on (` t="s"><v>3</v></c>`).
class CellStrings {
  public:
    virtual ~CellStrings() = default;
    virtual void appendCellText(std::string& out, const std::string& text) = 0;
};

// The formula a cell was read with, when the cell still holds what it was
// read with: its <f> element as the package had it, else null.
class CellFormulas {
  public:
    virtual ~CellFormulas() = default;
    virtual const std::string* formulaOf(const book::Cell& cell) const = 0;
};

// The workbook's text cells as one table, each text once.
class SharedStrings : public CellStrings {
  public:
    std::uint32_t index(const std::string& text);
    std::string xml() const;
    void appendCellText(std::string& out, const std::string& text) override;

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

// The elements of a worksheet part that hold what the model holds, each
// "" when there is nothing for it: the columns, the rows and cells, the
// merged ranges and the links, with the relationships the links need.
struct SheetBody {
    std::string dimension;
    std::string cols;
    std::string sheetData;
    std::string mergeCells;
    std::string hyperlinks;
    // <Relationship> elements, ids made of relPrefix and a number.
    std::string linkRelationships;
};

SheetBody writeSheetBody(const book::Sheet& sheet, const std::vector<std::uint32_t>& cellXfIndex,
                         CellStrings& strings, std::string_view relPrefix,
                         const CellFormulas* formulas = nullptr);

// A relationship part of those relationships.
std::string relationshipsXml(std::string_view relationships);

// sheetN.xml of one worksheet. cellXfIndex: where each format of the
// workbook went among the zip-based format's cell formats. A formula cell
// is written with its cached value alone.
SheetPart writeSheet(const book::Sheet& sheet, const std::vector<std::uint32_t>& cellXfIndex,
                     CellStrings& strings);

// The address a link of the binary model takes as a relationship's target.
std::string linkTarget(const book::Hyperlink& link);

}  // namespace xls::xlsx_writer
