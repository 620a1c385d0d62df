#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "native/book/workbook.h"
#include "native/xlsx_update/kept_package.h"
#include "native/xlsx_writer/sheet_part.h"

namespace xls::xlsx_update {

struct ImportedWorkbook {
    book::Workbook model;
    std::shared_ptr<const KeptPackage> kept;
};

// A zip-based workbook read into the editable model: every worksheet's
// values, formats, column widths, row heights, merged ranges and links,
// and the names that refer to cells. Throws xlsx::XlsxError when the
// package is damaged or holds what the model cannot take (too many
// formats, an invalid sheet name), book::BookError likewise.
ImportedWorkbook importWorkbook(std::shared_ptr<const std::vector<std::uint8_t>> bytes);

// The formulas a sheet was read with, for the cells that still hold the
// values they were read with.
class KeptFormulas : public xlsx_writer::CellFormulas {
  public:
    explicit KeptFormulas(const KeptPackage::SheetOrigin& origin) : origin_(origin) {}
    const std::string* formulaOf(const book::Cell& cell) const override;

  private:
    const KeptPackage::SheetOrigin& origin_;
};

// The digest of a worksheet's elements as the model writes them.
std::array<std::uint8_t, 20> sheetDigest(const book::Sheet& sheet,
                                         const std::vector<std::uint32_t>& cellXfOfStyle,
                                         const KeptPackage::SheetOrigin& origin);

}  // namespace xls::xlsx_update
