#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "native/zip/end_record.h"
#include "native/zip/zip_archive.h"

namespace xls::zip {

// Every entry of the central directory that loc describes, in order, with
// the ZIP64 extra applied. Throws ZipError, and ZipRefused beyond
// maxEntries entries.
std::vector<Entry> readDirectory(std::span<const std::uint8_t> bytes, const DirectoryLocation& loc,
                                 std::size_t maxEntries);

}  // namespace xls::zip
