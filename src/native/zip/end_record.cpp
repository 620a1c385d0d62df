#include "native/zip/end_record.h"

#include <algorithm>
#include <optional>
#include <string>

#include "native/io/byte_reader.h"
#include "native/text/hex.h"
#include "native/zip/zip_error.h"
#include "native/zip/zip_format.h"

namespace xls::zip {

namespace {

// The record may be followed by a comment of up to 64 KiB, whose length it
// gives. A signature whose comment ends exactly at the end of the file is
// the real record; failing that, the last signature found, so that a file
// with bytes appended after the comment still opens. Searching from the end
// keeps a stored entry that happens to contain the signature from being
// taken for the record.
std::optional<std::size_t> findEndRecord(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kEndRecordSize) return std::nullopt;
    const std::size_t last = bytes.size() - kEndRecordSize;
    const std::size_t first = last > kMaxCommentSize ? last - kMaxCommentSize : 0;
    std::optional<std::size_t> nearest;
    for (std::size_t pos = last + 1; pos-- > first;) {
        const std::uint8_t* p = bytes.data() + pos;
        if (io::le32(p) != kEndRecordSignature) continue;
        if (pos + kEndRecordSize + io::le16(p + 20) == bytes.size()) return pos;
        if (!nearest) nearest = pos;
    }
    return nearest;
}

std::string outside(const char* what, std::uint64_t offset, std::uint64_t size, std::uint64_t limit,
                    const char* limitName) {
    return std::string(what) + " at offset " + std::to_string(offset) + " (" +
           std::to_string(size) + " bytes) runs past " + limitName + " at offset " +
           std::to_string(limit);
}

}  // namespace

DirectoryLocation locateDirectory(std::span<const std::uint8_t> bytes) {
    const auto endPos = findEndRecord(bytes);
    if (!endPos) {
        std::size_t searched = std::min(bytes.size(), kEndRecordSize + kMaxCommentSize);
        throw ZipError("no end of central directory record in the last " +
                       std::to_string(searched) + " bytes: not a zip archive");
    }

    io::ByteReader end(bytes.subspan(*endPos, kEndRecordSize));
    end.skip(4 + 2 + 2 + 2);  // signature, disk numbers, entries on this disk
    DirectoryLocation loc;
    loc.entryCount = end.u16();
    loc.size = end.u32();
    loc.offset = end.u32();
    // The directory must end where the end records begin.
    std::uint64_t limit = *endPos;
    const char* limitName = "the end of central directory record";

    if (*endPos >= kZip64LocatorSize) {
        const std::size_t locatorPos = *endPos - kZip64LocatorSize;
        io::ByteReader locator(bytes.subspan(locatorPos, kZip64LocatorSize));
        if (locator.u32() == kZip64LocatorSignature) {
            locator.skip(4);  // disk with the ZIP64 end record
            const std::uint64_t recordPos = locator.u64();
            if (recordPos > locatorPos || locatorPos - recordPos < kZip64EndRecordSize)
                throw ZipError(outside("ZIP64 end of central directory record", recordPos,
                                       kZip64EndRecordSize, locatorPos, "its locator"));
            io::ByteReader record(bytes.subspan(recordPos, kZip64EndRecordSize));
            const std::uint32_t signature = record.u32();
            if (signature != kZip64EndRecordSignature)
                throw ZipError("ZIP64 end of central directory record at offset " +
                               std::to_string(recordPos) + " has signature " +
                               text::hexNumber(signature, 8) + ", expected " +
                               text::hexNumber(kZip64EndRecordSignature, 8));
            // Record size, versions, disk numbers, entries on this disk.
            record.skip(8 + 2 + 2 + 4 + 4 + 8);
            loc.entryCount = record.u64();
            loc.size = record.u64();
            loc.offset = record.u64();
            limit = recordPos;
            limitName = "the ZIP64 end of central directory record";
        }
    }

    if (loc.offset > limit || loc.size > limit - loc.offset)
        throw ZipError(outside("central directory", loc.offset, loc.size, limit, limitName));
    return loc;
}

}  // namespace xls::zip
