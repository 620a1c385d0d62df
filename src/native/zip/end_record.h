#pragma once

#include <cstdint>
#include <span>

namespace xls::zip {

// The central directory as the end records describe it.
struct DirectoryLocation {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
    std::uint64_t entryCount = 0;
};

// Finds the end of central directory record and, when a ZIP64 locator
// precedes it, the ZIP64 end record; checks that the directory they describe
// lies inside the file, before them. Throws ZipError.
DirectoryLocation locateDirectory(std::span<const std::uint8_t> bytes);

}  // namespace xls::zip
