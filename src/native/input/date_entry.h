#pragma once

#include <optional>
#include <string_view>

#include "native/input/number_entry.h"

namespace xls::input {

// Reads a folded entry as a date, a time of day or both ("2005/3/14", "3/14", "2005年3月14日",
// "H17.3.14", "9:05", "9:05 PM", "9時5分", "2005/3/14 9:05") and gives its serial in the
// chosen date system with the format the application applies. A month and day alone fall in
// currentYear. nullopt when the entry is none of these or names a day the system cannot hold.
std::optional<RecognisedNumber> recogniseDateTime(std::string_view entry, bool date1904,
                                                  int currentYear);

}  // namespace xls::input
