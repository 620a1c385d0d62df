#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace xls::cfb {

// Sector numbers at and above this are markers, not places in the file.
inline constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFFA;
inline constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
inline constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
inline constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;

inline constexpr std::size_t kHeaderSize = 512;
inline constexpr std::size_t kHeaderDifatEntries = 109;

// The 512-byte compound file header, every field kept so that a writer can
// reproduce what it read.
struct Header {
    std::array<std::uint8_t, 16> clsid{};
    std::uint16_t minorVersion = 0;
    std::uint16_t majorVersion = 0;
    std::uint16_t byteOrder = 0;
    std::uint16_t sectorShift = 0;
    std::uint16_t miniSectorShift = 0;
    std::uint32_t numDirectorySectors = 0;
    std::uint32_t numFatSectors = 0;
    std::uint32_t firstDirectorySector = 0;
    std::uint32_t transactionSignature = 0;
    std::uint32_t miniStreamCutoff = 0;
    std::uint32_t firstMiniFatSector = 0;
    std::uint32_t numMiniFatSectors = 0;
    std::uint32_t firstDifatSector = 0;
    std::uint32_t numDifatSectors = 0;
    std::array<std::uint32_t, kHeaderDifatEntries> difat{};

    std::uint32_t sectorSize() const { return 1u << sectorShift; }
    std::uint32_t miniSectorSize() const { return 1u << miniSectorShift; }
};

// Reads and validates the header at the start of `bytes`; throws CfbError.
Header parseHeader(std::span<const std::uint8_t> bytes);

}  // namespace xls::cfb
