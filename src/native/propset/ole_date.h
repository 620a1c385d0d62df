#pragma once

#include <cstdint>

#include "native/propset/value.h"

namespace xls::propset {

// The local time (as the C library's time zone rules give it) of a
// FILETIME, as an OLE automation date: days since 1899-12-30 with the time
// of day as the fraction. Whole seconds only, as the system's own
// conversion drops the milliseconds.
double fileTimeToLocalOleDate(FileTime t);

}  // namespace xls::propset
