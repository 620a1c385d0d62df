#pragma once

#include <string>
#include <string_view>

#include "automation/variant.h"

namespace mokuji::engine {

// Cells of the list are entered as typed input, so numbers and dates in the
// collected values become numbers and dates. Typed input would also turn a
// value such as "=A1" or "-x" into a formula; such a value is a text the
// source workbook held and must arrive as that text.

// True when typing the text would start a formula: it begins with "=", or
// with "+", "-" or "@" and is not a plain number.
bool WouldEnterAsFormula(std::string_view text);

// The entry that leaves the text in the cell as it is: the text itself, or,
// when typing it would start a formula or it begins with an apostrophe
// (which typing swallows), the text after an apostrophe, which the
// application takes as "this is text" and does not store.
automation::Variant TextEntry(std::string_view text);

}  // namespace mokuji::engine
