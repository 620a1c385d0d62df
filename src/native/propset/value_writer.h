#pragma once

#include "native/propset/byte_sink.h"
#include "native/propset/value.h"

namespace xls::propset {

// Appends `v` as a typed value (type code, two bytes of padding, payload,
// zero padding to four bytes), the form readTypedValue reads. Text of
// VT_LPSTR and VT_BSTR goes in `codepage`. Throws PropsetError when the
// type and the data disagree, when text has no form in the code page, and
// for values that were not kept whole on reading (VT_CF, Unsupported).
void writeTypedValue(ByteSink& out, const Value& v, int codepage);

}  // namespace xls::propset
