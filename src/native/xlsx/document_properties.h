#pragma once

#include "native/propset/builtin_properties.h"
#include "native/xlsx/element_tree.h"

namespace xls::xlsx {

// The built-in document properties from the core and extended property
// parts (nullptr for a part the package lacks), typed as the binary
// format's property streams give them: dates as UTC FileTime, counts as
// numbers, the rest as text. Elements that are empty or unreadable are
// left out: properties must never make a workbook unreadable.
propset::BuiltinProperties readDocumentProperties(const Element* core, const Element* extended);

}  // namespace xls::xlsx
