#pragma once

#include <cstdint>
#include <functional>
#include <span>

#include "native/book/workbook.h"
#include "native/formula/area.h"

namespace xls::native {

// Where a cell lies in the range a format is applied to: on which of its
// outer edges. Borders need it; the other formats do not look.
struct EdgePosition {
    bool top = false;
    bool bottom = false;
    bool left = false;
    bool right = false;
};

using StyleEdit = std::function<void(book::CellStyle&, EdgePosition)>;

// Applies a format change to a range as the application does: a whole
// column changes the column's format and its cells', a whole row the row's
// and its cells', the whole sheet all of them; a block gives every position
// a cell carrying the changed format. Equal results share one cell format.
// Throws AutomationError for a block too large to hold.
void applyStyle(book::Workbook& model, book::Sheet& sheet, const formula::Area& area,
                const StyleEdit& edit);

// Applies the edits to a block whose every position holds a cell as
// applyStyle would apply them one after another, the cell formats made on
// the way included and in the same order, in two walks over the cells
// rather than one an edit. False, with nothing changed, for a range that is
// not such a block; on a failure the cells are unchanged, though formats
// made before it stay.
bool applyStylesTogether(book::Workbook& model, book::Sheet& sheet, const formula::Area& area,
                         std::span<const StyleEdit> edits);

}  // namespace xls::native
