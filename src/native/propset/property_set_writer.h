#pragma once

#include <cstdint>
#include <vector>

#include "native/propset/property_set.h"

namespace xls::propset {

// The stream form of `set`, which parsePropertySet reads back as the same
// set. A section's code page is written as property 1 (VT_I2) from
// `Section::codepage` when `properties` has an entry for id 1 (its value is
// not consulted) or the code page is not 1252; readers take a missing one
// as 1252.
// Property 0 is the dictionary, written when it is not empty. Throws
// PropsetError for a set the reader would refuse (no sections, too many)
// and for values that cannot be written (see writeTypedValue).
std::vector<std::uint8_t> writePropertySet(const PropertySet& set);

}  // namespace xls::propset
