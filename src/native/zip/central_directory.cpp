#include "native/zip/central_directory.h"

#include <string>

#include "native/io/byte_reader.h"
#include "native/text/hex.h"
#include "native/zip/zip_format.h"

namespace xls::zip {

namespace {

// Fields holding the ZIP64 marker are replaced, in the order uncompressed
// size, compressed size, offset, from the extra's 0x0001 block. A marker
// with no value behind it keeps the 32-bit value: a size of exactly
// 4 GiB - 1 is written that way, and a wrong one fails the bounds and
// length checks when the entry is read.
void applyZip64(std::span<const std::uint8_t> extra, Entry& e) {
    io::ByteReader blocks(extra);
    while (blocks.remaining() >= 4) {
        const std::uint16_t id = blocks.u16();
        const std::uint16_t size = blocks.u16();
        // A block cut short by the end of the extra is another writer's
        // damage to its own data; the entry stays readable without it.
        if (size > blocks.remaining()) return;
        io::ByteReader block(blocks.bytes(size));
        if (id != kZip64ExtraId) continue;
        for (std::uint64_t* field :
             {&e.uncompressedSize, &e.compressedSize, &e.localHeaderOffset}) {
            if (*field != kZip64Marker32) continue;
            if (block.remaining() < 8) return;
            *field = block.u64();
        }
        return;
    }
}

Entry readCentralHeader(io::ByteReader& r, std::uint64_t index, std::uint64_t directoryOffset) {
    const std::size_t at = r.position();
    const std::uint32_t signature = r.u32();
    if (signature != kCentralHeaderSignature)
        throw ZipError("central directory entry " + std::to_string(index) + " at offset " +
                       std::to_string(directoryOffset + at) + " has signature " +
                       text::hexNumber(signature, 8) + ", expected " +
                       text::hexNumber(kCentralHeaderSignature, 8));
    Entry e;
    r.skip(2 + 2);  // versions made by and needed
    e.flags = r.u16();
    e.method = r.u16();
    e.modified.time = r.u16();
    e.modified.date = r.u16();
    e.crc32 = r.u32();
    e.compressedSize = r.u32();
    e.uncompressedSize = r.u32();
    const std::uint16_t nameSize = r.u16();
    const std::uint16_t extraSize = r.u16();
    const std::uint16_t commentSize = r.u16();
    r.skip(2 + 2 + 4);  // disk, internal and external attributes
    e.localHeaderOffset = r.u32();
    auto name = r.bytes(nameSize);
    e.name.assign(name.begin(), name.end());
    applyZip64(r.bytes(extraSize), e);
    r.skip(commentSize);
    return e;
}

}  // namespace

std::vector<Entry> readDirectory(std::span<const std::uint8_t> bytes, const DirectoryLocation& loc,
                                 std::size_t maxEntries) {
    // The declared count is checked against the bytes before anything is
    // allocated for it.
    const std::uint64_t fits = loc.size / kCentralHeaderSize;
    if (loc.entryCount > fits)
        throw ZipError("central directory declares " + std::to_string(loc.entryCount) +
                       " entries, but its " + std::to_string(loc.size) + " bytes hold at most " +
                       std::to_string(fits));
    if (loc.entryCount > maxEntries)
        throw ZipRefused("archive has " + std::to_string(loc.entryCount) +
                         " entries, more than the " + std::to_string(maxEntries) + " allowed");

    io::ByteReader r(bytes.subspan(loc.offset, loc.size));
    std::vector<Entry> entries;
    entries.reserve(loc.entryCount);
    for (std::uint64_t i = 0; i < loc.entryCount; ++i) {
        const std::size_t at = r.position();
        try {
            entries.push_back(readCentralHeader(r, i, loc.offset));
        } catch (const io::ReadPastEnd&) {
            throw ZipError("central directory entry " + std::to_string(i) + " at offset " +
                           std::to_string(loc.offset + at) +
                           " is cut short by the end of the directory (" +
                           std::to_string(loc.size) + " bytes)");
        }
    }
    // Bytes after the declared entries are left alone unless they are
    // another entry: then the count is wrong and entries would go missing
    // without a word.
    if (r.remaining() >= 4 &&
        io::le32(bytes.data() + loc.offset + r.position()) == kCentralHeaderSignature)
        throw ZipError("central directory holds more entries than the " +
                       std::to_string(loc.entryCount) + " its end record declares");
    return entries;
}

}  // namespace xls::zip
