#pragma once

#include "automation/object_model.h"

namespace mokuji::list_file {

// The look of a list file. Every setter is tried on its own: a member the
// application refuses leaves the rest of the look in place.

// Every cell: top-aligned, nothing indented, shrunk, merged or turned.
void FormatWholeSheet(automation::Range& cells);
// The sequence numbers: top-aligned, wrapped.
void FormatNumberColumn(automation::Range& column);
// The file names: left- and top-aligned, wrapped.
void FormatFileNameColumn(automation::Range& column);
// A header cell written by this program: solid colour 6.
void ColourHeaderCell(automation::Range& cell);
// No diagonals; thin automatic-colour lines round and inside the block.
void DrawBorderSet(automation::Range& block);

}  // namespace mokuji::list_file
