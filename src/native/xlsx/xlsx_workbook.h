#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "native/biff/globals.h"
#include "native/biff/worksheet.h"
#include "native/propset/builtin_properties.h"
#include "native/xlsx/package.h"
#include "native/xlsx/sheet_cells.h"

namespace xls::xlsx {

// A zip-based workbook (.xlsx, .xlsm, Transitional or Strict) opened to
// read values, in the binary model's terms: its sheet list, names (their
// text compiled to the binary format's tokens, over a made-up table of
// sheet runs), cell formats and document properties, so that the layers
// above resolve names and turn values into text exactly as for a binary
// workbook. Sheets and the shared strings are read when a cell is first
// asked for, and sheets only as far as that cell.
class Workbook {
  public:
    // Throws XlsxError when the package is damaged or not a workbook.
    static std::unique_ptr<Workbook> open(std::shared_ptr<const std::vector<std::uint8_t>> bytes);

    // The workbook's globals, handed over: the cells need none of them.
    biff::Globals takeGlobals() { return std::move(globals_); }
    std::size_t activeSheet() const { return activeSheet_; }
    // A built-in property by its index, its part read when one of its
    // properties is first asked for: most runs ask for a few of the core
    // part's and none of the extended part's.
    const std::optional<propset::BuiltinProperty>& property(std::size_t index);

    // Throws XlsxError when the sheet's part cannot be found or read, or
    // when a cell's shared string is damaged or missing.
    std::optional<biff::Cell> find(std::size_t sheet, std::uint16_t row, std::uint16_t col);
    // Every cell of the sheet by row and column, the whole part read.
    std::vector<biff::Cell> cells(std::size_t sheet);

  private:
    explicit Workbook(std::shared_ptr<const std::vector<std::uint8_t>> bytes);
    void readWorkbookPart(const std::string& part);
    const std::string& sharedString(std::uint32_t index);
    void checkSheet(std::size_t sheet) const;
    biff::Cell cellOf(SheetCells& sheet, const SheetCell& found);

    Package package_;
    biff::Globals globals_;
    std::size_t activeSheet_ = 0;
    propset::BuiltinProperties properties_;
    // The property parts not read yet; empty once read or when missing.
    std::string corePart_, extendedPart_;
    // Per sheet: its part's reader, or none for a sheet without cells.
    std::vector<std::unique_ptr<SheetCells>> sheets_;
    // Per sheet: why its part cannot be read, or empty.
    std::vector<std::string> sheetFaults_;
    std::string sharedStringsPart_;
    std::optional<std::vector<std::string>> sharedStrings_;
};

}  // namespace xls::xlsx
