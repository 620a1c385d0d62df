#pragma once

#include <string>
#include <string_view>

#include "automation/variant.h"

namespace mokuji::list_file {

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

// The most a cell holds, in UTF-16 units as the format counts them.
inline constexpr std::size_t kMaxCellText = 32767;

// A value of a row as its list cell is given it. Text is always entered
// after an apostrophe: typed input would turn "00123" into 123, "1-2" into a
// date, "TRUE" into a boolean and "#N/A" into an error, and a text must
// arrive as the text the workbook held. Numbers, dates, times and booleans
// go in as values.
struct DataEntry {
    automation::Variant entry;
    // How the value had to change to fit a cell; None for nearly all.
    enum class Change { None, Cut, AsText } change = Change::None;
};

// Text longer than a cell holds is cut to kMaxCellText units (Cut); a
// number that is no finite value (NaN, an infinity) becomes the text
// "#NUM!" (AsText), as the application shows such a result.
DataEntry EntryForValue(const automation::Variant& value);

}  // namespace mokuji::list_file
