#pragma once

#include <cstdint>
#include <vector>

namespace xls::book::testing {

// A compound file holding one stream named "Workbook", for handing what the
// book layer writes to other readers until the engine has a writer of its
// own. Version 3 (512-byte sectors); a stream under 4096 bytes goes into the
// mini stream as the format requires. Up to about 6 MB.
std::vector<std::uint8_t> compoundFileWithWorkbook(const std::vector<std::uint8_t>& stream);

}  // namespace xls::book::testing
