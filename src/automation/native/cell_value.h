#pragma once

#include <cstdint>

#include "automation/native/workbook_data.h"
#include "automation/variant.h"

namespace xls::native {

// The value of one cell (0-based) as Range.Value hands it out: numbers in a
// date format as dates, in a currency format as currency, error cells as
// error values, an empty cell as Empty.
automation::Variant cellValue(WorkbookData& book, std::size_t sheet, std::int32_t row,
                              std::int32_t col);
// The same for a cell already read from one of book's sheets.
automation::Variant cellValue(WorkbookData& book, const biff::Cell& cell);

}  // namespace xls::native
