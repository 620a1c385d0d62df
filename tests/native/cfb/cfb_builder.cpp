#include "native/cfb/cfb_builder.h"

#include <algorithm>
#include <cstring>

namespace xls::cfb::testing {

namespace {

constexpr std::uint32_t kEnd = 0xFFFFFFFE;
constexpr std::uint32_t kFree = 0xFFFFFFFF;
constexpr std::uint32_t kFat = 0xFFFFFFFD;
constexpr std::uint32_t kDif = 0xFFFFFFFC;

void put32At(std::vector<std::uint8_t>& b, std::size_t off, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[off + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16At(std::vector<std::uint8_t>& b, std::size_t off, std::uint16_t v) {
    b[off] = static_cast<std::uint8_t>(v);
    b[off + 1] = static_cast<std::uint8_t>(v >> 8);
}

std::uint32_t sectorsFor(std::size_t bytes, std::size_t unit) {
    return static_cast<std::uint32_t>((bytes + unit - 1) / unit);
}

}  // namespace

std::size_t BuiltFile::fatEntryOffset(std::uint32_t sector) const {
    std::size_t perSector = (std::size_t{1} << sectorShift) / 4;
    return sectorOffset(fatSectors[sector / perSector]) + (sector % perSector) * 4;
}

std::size_t BuiltFile::directoryEntryOffset(std::uint32_t index) const {
    std::size_t perSector = (std::size_t{1} << sectorShift) / 128;
    // The builder writes the directory in consecutive sectors.
    return sectorOffset(directoryStart + static_cast<std::uint32_t>(index / perSector)) +
           (index % perSector) * 128;
}

void BuiltFile::put32(std::size_t offset, std::uint32_t value) {
    put32At(bytes, offset, value);
}

BuiltFile buildCompoundFile(const std::vector<TestStream>& streams, unsigned sectorShift,
                            std::uint32_t extraFatSectors) {
    const std::size_t ss = std::size_t{1} << sectorShift;
    BuiltFile f;
    f.sectorShift = sectorShift;

    // Mini stream: small streams packed in 64-byte units.
    std::vector<std::uint8_t> mini;
    std::vector<std::uint32_t> miniFat;
    std::vector<std::uint32_t> starts(streams.size(), kEnd);
    for (std::size_t i = 0; i < streams.size(); ++i) {
        const auto& d = streams[i].data;
        if (d.size() >= 4096 || d.empty()) continue;
        std::uint32_t first = static_cast<std::uint32_t>(miniFat.size());
        std::uint32_t n = sectorsFor(d.size(), 64);
        for (std::uint32_t k = 0; k < n; ++k) miniFat.push_back(k + 1 < n ? first + k + 1 : kEnd);
        starts[i] = first;
        mini.insert(mini.end(), d.begin(), d.end());
        mini.resize(std::size_t{miniFat.size()} * 64, 0);
    }

    std::vector<std::uint32_t> fat;
    std::vector<std::uint8_t> body;  // sectors after the header
    auto addChain = [&](const std::vector<std::uint8_t>& data) -> std::uint32_t {
        if (data.empty()) return kEnd;
        std::uint32_t first = static_cast<std::uint32_t>(fat.size());
        std::uint32_t n = sectorsFor(data.size(), ss);
        for (std::uint32_t k = 0; k < n; ++k) fat.push_back(k + 1 < n ? first + k + 1 : kEnd);
        body.insert(body.end(), data.begin(), data.end());
        body.resize(fat.size() * ss, 0);
        return first;
    };

    std::uint32_t miniStart = addChain(mini);
    for (std::size_t i = 0; i < streams.size(); ++i)
        if (streams[i].data.size() >= 4096) starts[i] = addChain(streams[i].data);

    std::vector<std::uint8_t> miniFatBytes(miniFat.size() * 4);
    for (std::size_t i = 0; i < miniFat.size(); ++i) put32At(miniFatBytes, 4 * i, miniFat[i]);
    std::uint32_t miniFatStart = addChain(miniFatBytes);

    // Directory: root, then each stream as the right sibling of the one
    // before (a valid, if unbalanced, tree).
    std::size_t entryCount = streams.size() + 1;
    std::vector<std::uint8_t> dir(sectorsFor(entryCount * 128, ss) * ss, 0);
    auto writeEntry = [&](std::size_t index, const std::string& name, std::uint8_t type,
                          std::uint32_t left, std::uint32_t right, std::uint32_t child,
                          std::uint32_t start, std::uint64_t size) {
        std::size_t off = index * 128;
        std::size_t units = 0;
        for (unsigned char c : name) put16At(dir, off + 2 * units++, c);
        put16At(dir, off + 64, static_cast<std::uint16_t>((units + 1) * 2));
        dir[off + 66] = type;
        dir[off + 67] = 1;
        put32At(dir, off + 68, left);
        put32At(dir, off + 72, right);
        put32At(dir, off + 76, child);
        put32At(dir, off + 116, start);
        put32At(dir, off + 120, static_cast<std::uint32_t>(size));
        put32At(dir, off + 124, static_cast<std::uint32_t>(size >> 32));
    };
    writeEntry(0, "Root Entry", 5, kFree, kFree, streams.empty() ? kFree : 1, miniStart,
               mini.size());
    for (std::size_t i = 0; i < streams.size(); ++i)
        writeEntry(i + 1, streams[i].name, 2, kFree,
                   i + 1 < streams.size() ? static_cast<std::uint32_t>(i + 2) : kFree, kFree,
                   starts[i], streams[i].data.size());
    // Slots past the last entry are unused (type 0) with no links.
    for (std::size_t i = entryCount; i < dir.size() / 128; ++i) {
        put32At(dir, i * 128 + 68, kFree);
        put32At(dir, i * 128 + 72, kFree);
        put32At(dir, i * 128 + 76, kFree);
    }
    f.directoryStart = addChain(dir);

    // FAT and DIFAT sectors come last; their number depends on the total.
    const std::uint32_t perFat = static_cast<std::uint32_t>(ss / 4);
    const std::uint32_t perDifat = perFat - 1;
    std::uint32_t nFat = 0, nDifat = 0;
    for (;;) {
        std::uint32_t total = static_cast<std::uint32_t>(fat.size()) + nFat + nDifat;
        std::uint32_t needFat = std::max(sectorsFor(total, perFat), 1u) + extraFatSectors;
        std::uint32_t needDifat = needFat > 109 ? sectorsFor(needFat - 109, perDifat) : 0;
        if (needFat == nFat && needDifat == nDifat) break;
        nFat = needFat;
        nDifat = needDifat;
    }
    std::uint32_t base = static_cast<std::uint32_t>(fat.size());
    for (std::uint32_t k = 0; k < nFat; ++k) {
        f.fatSectors.push_back(base + k);
        fat.push_back(kFat);
    }
    for (std::uint32_t k = 0; k < nDifat; ++k) {
        f.difatSectors.push_back(base + nFat + k);
        fat.push_back(kDif);
    }
    fat.resize(std::size_t{nFat} * perFat, kFree);

    std::vector<std::uint8_t> out(ss + body.size() + (std::size_t{nFat} + nDifat) * ss, 0);
    std::copy(body.begin(), body.end(), out.begin() + static_cast<std::ptrdiff_t>(ss));
    for (std::size_t i = 0; i < fat.size(); ++i)
        put32At(out, ss + std::size_t{base} * ss + 4 * i, fat[i]);

    const std::uint8_t magic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::memcpy(out.data(), magic, 8);
    put16At(out, 24, 0x3E);
    put16At(out, 26, sectorShift == 9 ? 3 : 4);
    put16At(out, 28, 0xFFFE);
    put16At(out, 30, static_cast<std::uint16_t>(sectorShift));
    put16At(out, 32, 6);
    put32At(out, 40, sectorShift == 9 ? 0 : sectorsFor(dir.size(), ss));
    put32At(out, 44, nFat);
    put32At(out, 48, f.directoryStart);
    put32At(out, 56, 4096);
    put32At(out, 60, miniFatStart);
    put32At(out, 64, sectorsFor(miniFatBytes.size(), ss));
    put32At(out, 68, nDifat ? f.difatSectors[0] : kEnd);
    put32At(out, 72, nDifat);
    for (std::uint32_t k = 0; k < 109; ++k)
        put32At(out, 76 + 4 * k, k < nFat ? f.fatSectors[k] : kFree);
    for (std::uint32_t d = 0; d < nDifat; ++d) {
        std::size_t off = ss + std::size_t{f.difatSectors[d]} * ss;
        for (std::uint32_t j = 0; j < perDifat; ++j) {
            std::uint32_t idx = 109 + d * perDifat + j;
            put32At(out, off + 4 * j, idx < nFat ? f.fatSectors[idx] : kFree);
        }
        put32At(out, off + 4 * perDifat, d + 1 < nDifat ? f.difatSectors[d + 1] : kEnd);
    }
    f.bytes = std::move(out);
    f.streamStarts = std::move(starts);
    return f;
}

}  // namespace xls::cfb::testing
