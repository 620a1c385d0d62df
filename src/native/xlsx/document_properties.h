#pragma once

#include "native/propset/builtin_properties.h"
#include "native/xlsx/element_tree.h"

namespace xls::xlsx {

// The part a built-in property is kept in; none for those these parts lack.
enum class PropertyPart { None, Core, Extended };
PropertyPart propertyPart(int index);

// Into out, the built-in document properties the core or the extended
// property part holds, typed as the binary format's property streams give
// them: dates as UTC FileTime, counts as numbers, the rest as text.
// Elements that are empty or unreadable are left out: properties must never
// make a workbook unreadable.
void readDocumentProperties(const Element& part, PropertyPart which,
                            propset::BuiltinProperties& out);

}  // namespace xls::xlsx
