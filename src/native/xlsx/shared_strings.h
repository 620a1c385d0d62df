#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "native/xlsx/package.h"

namespace xls::xlsx {

// The shared string table, read whole when a sheet first needs it. Throws
// XlsxError when the part is damaged or holds more text than is read.
std::vector<std::string> readSharedStrings(const Package& package, const std::string& part);

}  // namespace xls::xlsx
