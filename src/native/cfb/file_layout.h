#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace xls::cfb {

// Where everything of a version 3 file goes, decided before a byte is
// written. Regions follow each other in sector order: FAT, DIFAT,
// directory, mini FAT, mini stream, then the large streams in the order
// given. Every region is one run of adjacent sectors.
struct FileLayout {
    struct Region {
        std::uint32_t first = 0;
        std::uint32_t count = 0;
        std::uint32_t end() const { return first + count; }
    };
    // Per stream: its first sector (mini sector for small ones) and whether
    // it lives in the mini stream. Empty streams own no sector.
    struct Placement {
        bool mini = false;
        std::uint32_t start = 0;
        std::uint32_t sectors = 0;
    };

    Region fat;
    Region difat;
    Region directory;
    Region miniFat;
    Region miniStream;
    std::uint32_t miniSectors = 0;  // mini sectors in use
    std::vector<Placement> streams;
    std::uint32_t totalSectors = 0;  // sectors after the header

    std::uint64_t fileSize() const;
};

inline constexpr std::uint32_t kWriteSectorSize = 512;
inline constexpr std::uint32_t kWriteMiniSectorSize = 64;
inline constexpr std::uint32_t kMiniStreamCutoff = 4096;

// Plans a file with `entryCount` directory entries and streams of the given
// sizes. Throws CfbError when the result would not fit the sector numbers
// (or the 32-bit sizes) of a version 3 file.
FileLayout planLayout(std::size_t entryCount, std::span<const std::uint64_t> streamSizes);

}  // namespace xls::cfb
