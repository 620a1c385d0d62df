#pragma once

#include <cstdint>

#include "native/propset/value.h"

namespace xls::propset {

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d);

// The local time (as the C library's time zone rules give it) of a
// FILETIME, as an OLE automation date: days since 1899-12-30 with the time
// of day as the fraction. Whole seconds only, as the system's own
// conversion drops the milliseconds.
double fileTimeToLocalOleDate(FileTime t);

}  // namespace xls::propset
