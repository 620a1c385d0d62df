#pragma once

#include <optional>
#include <string>

#include "native/input/entry_cursor.h"

namespace xls::input {

struct TimeOfDay {
    double fraction = 0;  // of a day; above 1 for "25:00"
    std::string numberFormat;
};

// Reads "9:05", "9:05:30", "9:05:30.25", "9:05 PM", "1 p", "25:00" or "9時5分" at the cursor
// and leaves it after the time. The format is the one the application gives a time typed
// alone.
std::optional<TimeOfDay> readTime(Cursor& c);

}  // namespace xls::input
