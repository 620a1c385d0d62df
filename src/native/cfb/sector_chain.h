#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace xls::cfb {

// Where the sectors of one allocation table live: `data` holds sector n at
// offset `firstSectorOffset + (n << shift)`. Regular sectors come from the
// file (after the header), mini sectors from the mini stream.
struct SectorSpace {
    std::span<const std::uint32_t> table;  // next-sector links
    std::span<const std::uint8_t> data;
    std::size_t firstSectorOffset = 0;
    unsigned shift = 9;
    const char* unitName = "sector";

    // Sectors that start inside `data`; the last one may be cut short.
    std::uint64_t sectorCount() const;
};

// Copies the first `size` bytes of the chain starting at `start` into `out`
// (replacing its contents), one memcpy per run of adjacent sectors. Throws
// CfbError naming `what` when the chain leaves the file, loops, or ends
// before `size` bytes.
void readChain(const SectorSpace& space, std::uint32_t start, std::uint64_t size,
               std::string_view what, std::vector<std::uint8_t>& out);
// The same into buffer, the bytes that space's data views: where every run
// of the chain lies at or after its place in the stream, the runs are moved
// to the front and buffer cut to the stream, without a second buffer.
// Returns false, buffer untouched, where they do not; throws as readChain.
bool readChainInPlace(const SectorSpace& space, std::uint32_t start, std::uint64_t size,
                      std::string_view what, std::vector<std::uint8_t>& buffer);

enum class ChainEnd {
    Strict,   // a link that leaves the data or loops is an error
    Lenient,  // after the first sector, such a link just ends the chain
};

// The sector numbers of a chain whose length is only known from its end
// marker (directory, mini FAT). Capped at the number of sectors in the space.
std::vector<std::uint32_t> chainSectors(const SectorSpace& space, std::uint32_t start,
                                        std::string_view what, ChainEnd end = ChainEnd::Strict);

}  // namespace xls::cfb
