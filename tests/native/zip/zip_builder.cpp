#include "native/zip/zip_builder.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace xls::zip::testing {

namespace {

using Bytes = std::vector<std::uint8_t>;

// size bytes of v, little-endian; beyond eight they are zeros.
void put(Bytes& out, std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i)
        out.push_back(i < 8 ? static_cast<std::uint8_t>(v >> (8 * i)) : 0);
}

void append(Bytes& out, std::span<const std::uint8_t> b) {
    out.insert(out.end(), b.begin(), b.end());
}

void append(Bytes& out, const std::string& s) {
    out.insert(out.end(), s.begin(), s.end());
}

// Raw deflate of `rounds` copies of block.
Bytes deflateBlocks(std::span<const std::uint8_t> block, std::uint64_t rounds, int strategy) {
    z_stream z{};
    if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 9, strategy) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    Bytes out;
    std::uint8_t buf[65536];
    for (std::uint64_t round = 0; round < rounds; ++round) {
        const bool last = round + 1 == rounds;
        z.next_in = const_cast<std::uint8_t*>(block.data());
        z.avail_in = static_cast<uInt>(block.size());
        int ret;
        do {
            z.next_out = buf;
            z.avail_out = sizeof buf;
            ret = deflate(&z, last ? Z_FINISH : Z_NO_FLUSH);
            out.insert(out.end(), buf, buf + (sizeof buf - z.avail_out));
        } while (z.avail_out == 0 || (last && ret != Z_STREAM_END));
    }
    deflateEnd(&z);
    return out;
}

}  // namespace

std::vector<std::uint8_t> deflateRaw(std::span<const std::uint8_t> content) {
    return deflateBlocks(content, 1, Z_DEFAULT_STRATEGY);
}

std::vector<std::uint8_t> deflateZeros(std::uint64_t mebibytes) {
    // Runs are all there is to find; looking for other matches only costs time.
    return deflateBlocks(Bytes(1 << 20), mebibytes, Z_RLE);
}

std::vector<std::uint8_t> buildZip(const std::vector<BuiltEntry>& entries,
                                   const BuildOptions& options) {
    Bytes out, directory;
    for (const BuiltEntry& e : entries) {
        const Bytes data = e.data ? *e.data : e.method == 8 ? deflateRaw(e.content) : e.content;
        const std::uint64_t offset = e.localHeaderOffset.value_or(out.size());
        const std::uint64_t packed = e.compressedSize.value_or(data.size());
        const std::uint64_t size = e.uncompressedSize.value_or(e.content.size());
        Bytes extra;
        if (e.zip64) {
            put(extra, 0x0001, 2);
            put(extra, 24, 2);
            for (std::uint64_t v : {size, packed, offset}) put(extra, v, 8);
        }
        for (bool central : {false, true}) {
            Bytes& h = central ? directory : out;
            put(h, central ? 0x02014B50 : 0x04034B50, 4);
            if (central) put(h, 45, 2);  // made by
            put(h, 45, 2);               // needed
            put(h, e.flags, 2);
            put(h, e.method, 2);
            put(h, 0x00210000, 4);  // 1980-01-01 00:00
            put(h, e.crc.value_or(crc32_z(0, e.content.data(), e.content.size())), 4);
            put(h, e.zip64 ? 0xFFFFFFFF : packed, 4);
            put(h, e.zip64 ? 0xFFFFFFFF : size, 4);
            put(h, e.name.size(), 2);
            put(h, central ? extra.size() : 0, 2);
            if (central) {
                put(h, 0, 2 + 2 + 2 + 4);  // comment, disk, attributes
                put(h, e.zip64 ? 0xFFFFFFFF : offset, 4);
            }
            append(h, e.name);
            append(h, central ? std::span<const std::uint8_t>(extra) : data);
        }
    }

    const std::uint64_t directoryOffset = options.directoryOffset.value_or(out.size());
    const std::uint64_t count = options.entryCount.value_or(entries.size());
    append(out, directory);
    const bool z64 = options.zip64End;
    if (z64) {
        const std::uint64_t recordOffset = out.size();
        put(out, 0x06064B50, 4);
        put(out, 44, 8);  // size of the rest
        put(out, 45, 2);
        put(out, 45, 2);
        put(out, 0, 4 + 4);  // disks
        for (std::uint64_t v : {count, count, std::uint64_t{directory.size()}, directoryOffset})
            put(out, v, 8);
        put(out, 0x07064B50, 4);
        put(out, 0, 4);
        put(out, recordOffset, 8);
        put(out, 1, 4);
    }
    put(out, 0x06054B50, 4);
    put(out, 0, 2 + 2);  // disks
    put(out, z64 ? 0xFFFF : std::min<std::uint64_t>(count, 0xFFFF), 2);
    put(out, z64 ? 0xFFFF : std::min<std::uint64_t>(count, 0xFFFF), 2);
    put(out, z64 ? 0xFFFFFFFF : directory.size(), 4);
    put(out, z64 ? 0xFFFFFFFF : directoryOffset, 4);
    put(out, options.comment.size(), 2);
    append(out, options.comment);
    return out;
}

}  // namespace xls::zip::testing
