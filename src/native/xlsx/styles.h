#pragma once

#include "native/biff/globals.h"
#include "native/xlsx/element_tree.h"

namespace xls::xlsx {

// The number formats of the styles part into the binary model's terms: the
// custom format codes by id, and each cell format (cellXfs, in order) with
// its format id. The built-in ids mean the same in both formats, so the
// value of a cell is decided by the same code for either.
void readStyles(const Element& styleSheet, biff::Globals& globals);

}  // namespace xls::xlsx
