#pragma once

#include <cstdint>

#include "automation/variant.h"
#include "native/book/workbook.h"
#include "native/format/number_format.h"

namespace xls::native {

// How a number in cell format xf is handed out: a Double, a Date or Currency.
format::ValueKind valueKindOf(const book::Workbook& model, std::uint16_t xf);

// The value of one cell of the editable model (0-based), as Range.Value
// hands it out; the same rules as for a read-only workbook.
automation::Variant modelCellValue(const book::Workbook& model, const book::Sheet& sheet,
                                   std::uint32_t row, std::uint32_t col);

}  // namespace xls::native
