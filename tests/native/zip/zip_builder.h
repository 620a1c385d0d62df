#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace xls::zip::testing {

// One entry of a built archive. The overrides change only what the headers
// declare or what is written as data, so damaged archives can be made.
struct BuiltEntry {
    std::string name = {};
    std::vector<std::uint8_t> content = {};
    std::uint16_t method = 8;  // deflate compresses; any other writes the content as is
    std::uint16_t flags = 0;
    std::optional<std::vector<std::uint8_t>> data =
        {};  // written instead of the compressed content
    std::optional<std::uint32_t> crc = {};
    std::optional<std::uint64_t> compressedSize = {}, uncompressedSize = {}, localHeaderOffset = {};
    // Sizes and offset in the ZIP64 extra, the 32-bit fields saying so.
    bool zip64 = false;
};

struct BuildOptions {
    std::string comment = {};
    bool zip64End = false;  // a ZIP64 end record and locator before the end record
    std::optional<std::uint64_t> entryCount = {}, directoryOffset = {};
};

std::vector<std::uint8_t> deflateRaw(std::span<const std::uint8_t> content);
// That many mebibytes of zeros deflated, without holding them in memory.
std::vector<std::uint8_t> deflateZeros(std::uint64_t mebibytes);

// A zip archive of the entries: local headers and data, central directory,
// end records.
std::vector<std::uint8_t> buildZip(const std::vector<BuiltEntry>& entries,
                                   const BuildOptions& options = {});

}  // namespace xls::zip::testing
