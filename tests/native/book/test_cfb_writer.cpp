#include "native/book/test_cfb_writer.h"

#include <stdexcept>
#include <string>

namespace xls::book::testing {

namespace {

constexpr std::uint32_t kSector = 512;
constexpr std::uint32_t kMiniSector = 64;
constexpr std::uint32_t kCutoff = 4096;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFatSect = 0xFFFFFFFD;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;

void put16(std::vector<std::uint8_t>& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    put16(b, at, static_cast<std::uint16_t>(v));
    put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}

void directoryEntry(std::vector<std::uint8_t>& b, std::size_t at, const std::u16string& name,
                    std::uint8_t type, std::uint32_t child, std::uint32_t start,
                    std::uint32_t size) {
    for (std::size_t i = 0; i < name.size(); ++i) put16(b, at + i * 2, name[i]);
    put16(b, at + 64, static_cast<std::uint16_t>((name.size() + 1) * 2));
    b[at + 66] = type;
    b[at + 67] = 1;  // black
    put32(b, at + 68, kNoStream);
    put32(b, at + 72, kNoStream);
    put32(b, at + 76, child);
    put32(b, at + 116, start);
    put32(b, at + 120, size);
}

}  // namespace

std::vector<std::uint8_t> compoundFileWithWorkbook(const std::vector<std::uint8_t>& stream) {
    const auto size = static_cast<std::uint32_t>(stream.size());
    const bool mini = size < kCutoff;
    // Regular sectors holding the data: the stream itself, or the mini
    // stream container.
    const std::uint32_t dataBytes =
        mini ? (size + kMiniSector - 1) / kMiniSector * kMiniSector : size;
    const std::uint32_t dataSectors = (dataBytes + kSector - 1) / kSector;
    const std::uint32_t extra = 1 + (mini ? 1 : 0);  // directory, mini FAT
    std::uint32_t fatSectors = 1;
    while (fatSectors * (kSector / 4) < fatSectors + extra + dataSectors) ++fatSectors;
    if (fatSectors > 109) throw std::runtime_error("stream too large for the test writer");

    const std::uint32_t dirSector = fatSectors;
    const std::uint32_t miniFatSector = mini ? fatSectors + 1 : kEnd;
    const std::uint32_t firstData = fatSectors + extra;
    const std::uint32_t total = firstData + dataSectors;

    std::vector<std::uint8_t> file((1 + total) * kSector, 0);
    auto sector = [&](std::uint32_t n) { return kSector * (n + 1); };
    // Header.
    const std::uint8_t sig[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(sig), std::end(sig), file.begin());
    put16(file, 24, 0x003E);
    put16(file, 26, 3);
    put16(file, 28, 0xFFFE);
    put16(file, 30, 9);
    put16(file, 32, 6);
    put32(file, 44, fatSectors);
    put32(file, 48, dirSector);
    put32(file, 56, kCutoff);
    put32(file, 60, miniFatSector);
    put32(file, 64, mini ? 1 : 0);
    put32(file, 68, kEnd);
    put32(file, 72, 0);
    for (std::uint32_t i = 0; i < 109; ++i) put32(file, 76 + i * 4, i < fatSectors ? i : kFree);

    // FAT.
    std::vector<std::uint32_t> fat(fatSectors * (kSector / 4), kFree);
    for (std::uint32_t i = 0; i < fatSectors; ++i) fat[i] = kFatSect;
    fat[dirSector] = kEnd;
    if (mini) fat[miniFatSector] = kEnd;
    for (std::uint32_t i = 0; i < dataSectors; ++i)
        fat[firstData + i] = i + 1 < dataSectors ? firstData + i + 1 : kEnd;
    for (std::uint32_t i = 0; i < fat.size(); ++i) put32(file, sector(0) + i * 4, fat[i]);

    // Directory: root, Workbook, two unused entries.
    const std::size_t dir = sector(dirSector);
    directoryEntry(file, dir, u"Root Entry", 5, 1, mini && dataSectors ? firstData : kEnd,
                   mini ? dataBytes : 0);
    directoryEntry(file, dir + 128, u"Workbook", 2, kNoStream,
                   mini ? 0 : (dataSectors ? firstData : kEnd), size);
    for (int i = 2; i < 4; ++i) {
        put32(file, dir + i * 128 + 68, kNoStream);
        put32(file, dir + i * 128 + 72, kNoStream);
        put32(file, dir + i * 128 + 76, kNoStream);
    }
    if (mini) {
        const std::uint32_t count = dataBytes / kMiniSector;
        const std::size_t mf = sector(miniFatSector);
        for (std::uint32_t i = 0; i < kSector / 4; ++i)
            put32(file, mf + i * 4, i < count ? (i + 1 < count ? i + 1 : kEnd) : kFree);
    }
    std::copy(stream.begin(), stream.end(), file.begin() + sector(firstData));
    return file;
}

}  // namespace xls::book::testing
