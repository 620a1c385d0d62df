#include "native/cfb/file_layout.h"

#include <stdexcept>
#include <string>

#include "native/cfb/cfb_error.h"
#include "native/cfb/header.h"

namespace xls::cfb {

namespace {

constexpr std::uint64_t kEntriesPerSector = kWriteSectorSize / 128;
constexpr std::uint64_t kLinksPerSector = kWriteSectorSize / 4;
constexpr std::uint64_t kFatSectorsPerDifatSector = kLinksPerSector - 1;

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b) {
    return (a + b - 1) / b;
}

std::uint64_t difatSectorsFor(std::uint64_t fatSectors) {
    return fatSectors <= kHeaderDifatEntries
               ? 0
               : ceilDiv(fatSectors - kHeaderDifatEntries, kFatSectorsPerDifatSector);
}

std::uint32_t narrow(std::uint64_t sectors, const char* what) {
    if (sectors > kMaxRegularSector)
        throw CfbError(std::string(what) + " needs " + std::to_string(sectors) +
                       " sectors, more than a compound file can number");
    return static_cast<std::uint32_t>(sectors);
}

}  // namespace

std::uint64_t FileLayout::fileSize() const {
    return (std::uint64_t{totalSectors} + 1) * kWriteSectorSize;
}

FileLayout planLayout(std::size_t entryCount, std::span<const std::uint64_t> streamSizes) {
    FileLayout l;
    l.streams.resize(streamSizes.size());

    std::uint64_t miniSectors = 0;
    std::uint64_t bigSectors = 0;
    for (std::size_t i = 0; i < streamSizes.size(); ++i) {
        const std::uint64_t size = streamSizes[i];
        if (size > 0xFFFFFFFFu)
            throw CfbError("stream of " + std::to_string(size) +
                           " bytes; a version 3 file stores sizes in 32 bits");
        auto& p = l.streams[i];
        p.mini = size < kMiniStreamCutoff;
        // Counted here only to bound the totals; starts are set below.
        if (p.mini)
            miniSectors += ceilDiv(size, kWriteMiniSectorSize);
        else
            bigSectors += ceilDiv(size, kWriteSectorSize);
    }

    l.miniSectors = narrow(miniSectors, "the mini stream");
    l.directory.count = narrow(ceilDiv(entryCount, kEntriesPerSector), "the directory");
    l.miniFat.count = narrow(ceilDiv(miniSectors, kLinksPerSector), "the mini FAT");
    l.miniStream.count =
        narrow(ceilDiv(miniSectors * kWriteMiniSectorSize, kWriteSectorSize), "the mini stream");
    const std::uint64_t data =
        std::uint64_t{l.directory.count} + l.miniFat.count + l.miniStream.count + bigSectors;

    // The FAT has to describe its own sectors and those of the DIFAT too.
    std::uint64_t fat = ceilDiv(data, kLinksPerSector);
    while (fat * kLinksPerSector < data + fat + difatSectorsFor(fat)) ++fat;
    l.fat = {0, narrow(fat, "the FAT")};
    l.difat = {l.fat.end(), narrow(difatSectorsFor(fat), "the DIFAT")};
    l.totalSectors = narrow(data + fat + difatSectorsFor(fat), "the file");

    l.directory.first = l.difat.end();
    l.miniFat.first = l.directory.end();
    l.miniStream.first = l.miniFat.end();

    std::uint32_t nextMini = 0;
    std::uint32_t nextBig = l.miniStream.end();
    for (std::size_t i = 0; i < streamSizes.size(); ++i) {
        auto& p = l.streams[i];
        const std::uint64_t unit = p.mini ? kWriteMiniSectorSize : kWriteSectorSize;
        p.sectors = static_cast<std::uint32_t>(ceilDiv(streamSizes[i], unit));
        std::uint32_t& next = p.mini ? nextMini : nextBig;
        p.start = p.sectors == 0 ? kEndOfChain : next;
        next += p.sectors;
    }
    if (nextMini != l.miniSectors || nextBig != l.totalSectors)
        throw std::logic_error("file layout: streams placed up to mini sector " +
                               std::to_string(nextMini) + " and sector " + std::to_string(nextBig) +
                               ", planned " + std::to_string(l.miniSectors) + " and " +
                               std::to_string(l.totalSectors));
    return l;
}

}  // namespace xls::cfb
