#pragma once

#include <cstdint>
#include <span>

#include "native/zip/zip_archive.h"

namespace xls::zip {

// The entry's compressed bytes: its local header is checked and its own name
// and extra lengths give where the data starts; the size is the central
// directory's, so data descriptors need no reading. The data must end
// before the central directory. Throws ZipError.
std::span<const std::uint8_t> entryData(std::span<const std::uint8_t> bytes, const Entry& entry,
                                        std::uint64_t directoryOffset);

}  // namespace xls::zip
