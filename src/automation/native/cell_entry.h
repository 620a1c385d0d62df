#pragma once

#include <cstdint>

#include "automation/variant.h"
#include "native/book/workbook.h"

namespace xls::native {

// Enters a value into a cell as Range.FormulaR1C1 does: text is read as
// typed input (numbers, dates, times, percentages, booleans become values,
// and a General cell takes the format the entry implies); other variants are
// stored as they are. A formula cannot be entered: this engine evaluates
// none, so it fails rather than store a formula without a result. Throws
// AutomationError.
void enterValue(book::Workbook& model, book::Sheet& sheet, std::uint32_t row, std::uint32_t col,
                const automation::Variant& value);

// The format a new value in this cell takes: the cell's own, else its
// row's, else its column's.
std::uint16_t formatForEntry(const book::Sheet& sheet, std::uint32_t row, std::uint32_t col);

// The cell format a value entered with format xf is stored with: xf
// itself, or, where xf is a style format or none at all, a cell format that
// shows the same. Throws when the workbook has no style to base one on.
std::uint16_t usableCellFormat(book::Workbook& model, std::uint16_t xf);

}  // namespace xls::native
