#pragma once

#include <cstdint>

#include "native/io/byte_reader.h"
#include "native/propset/value.h"

namespace xls::propset {

// Reads one value of `type` at the reader's position (just past the type
// code and its padding). Strings are decoded from `codepage`. Returns a
// value holding Unsupported when the type is unknown; throws
// io::ReadPastEnd or PropsetError when the value passes the end.
Value readTypedValue(io::ByteReader& r, std::uint16_t type, int codepage);

}  // namespace xls::propset
