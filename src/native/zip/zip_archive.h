#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "native/zip/zip_error.h"

namespace xls::zip {

// A modification time as the headers keep it, in local time: MS-DOS time
// (hours, minutes, seconds / 2) and date (years since 1980, month, day).
struct DosTime {
    std::uint16_t time = 0;
    std::uint16_t date = (1 << 5) | 1;  // 1980-01-01

    bool operator==(const DosTime&) const = default;
};

struct Entry {
    // As stored: UTF-8 or CP437 bytes, kept as they are.
    std::string name;
    std::uint16_t flags = 0, method = 0;
    std::uint32_t crc32 = 0;
    DosTime modified;
    // From the central directory, ZIP64 extra applied.
    std::uint64_t compressedSize = 0, uncompressedSize = 0;
    std::uint64_t localHeaderOffset = 0;
};

class Archive;

// The content of one entry, piece by piece, so that memory stays bounded
// however large the entry. Movable, not copyable: it owns its inflater.
class EntryStream {
  public:
    EntryStream(EntryStream&&) noexcept;
    EntryStream& operator=(EntryStream&&) noexcept;
    ~EntryStream();

    // Up to size bytes into out; 0 only at the end of the entry. The length
    // and the CRC are checked when the end is reached; output beyond the
    // declared size is an error at once, so a header that lies cannot make
    // it inflate forever. Throws ZipError; after a throw every further call
    // throws the same.
    std::size_t read(std::uint8_t* out, std::size_t size);
    // Bytes handed out so far.
    std::uint64_t produced() const;

  private:
    friend class Archive;
    struct State;
    explicit EntryStream(std::unique_ptr<State> state);

    std::unique_ptr<State> state_;
};

// A zip archive held in memory. It views the bytes given to open, which
// must outlive the archive and every stream made from it.
class Archive {
  public:
    // Reads the end of central directory record (searched backwards over at
    // most 64 KiB + 22 bytes of comment), the ZIP64 locator and end record
    // when present, and the whole central directory. Throws ZipError, and
    // ZipRefused beyond maxEntries entries.
    static Archive open(std::span<const std::uint8_t> bytes, std::size_t maxEntries = 65536);

    const std::vector<Entry>& entries() const { return entries_; }

    // The entry named name, compared ignoring ASCII letter case, with a
    // leading '/' on either side ignored and '\' read as '/'; nullptr when
    // there is none. The first match wins when names repeat.
    const Entry* find(std::string_view name) const;

    // The whole content, CRC checked. Throws ZipRefused when the entry is
    // encrypted, compressed by another method than stored or deflate, or
    // declared larger than maxBytes; ZipError when it is damaged or inflates
    // to more or fewer bytes than declared.
    std::vector<std::uint8_t> read(const Entry& entry, std::uint64_t maxBytes) const;
    // The same content piece by piece; the checks before any byte is
    // inflated are made here, the rest as the stream reads.
    EntryStream stream(const Entry& entry, std::uint64_t maxBytes) const;
    // The entry's data as stored, not inflated nor checked against its CRC:
    // for carrying an entry over into another archive. The local header and
    // the data's place in the file are checked as for reading. Throws
    // ZipError.
    std::span<const std::uint8_t> storedData(const Entry& entry) const;

    // Where the central directory starts: every entry's data lies before it.
    std::uint64_t directoryOffset() const { return directoryOffset_; }

  private:
    Archive() = default;

    std::span<const std::uint8_t> bytes_;
    std::vector<Entry> entries_;
    std::uint64_t directoryOffset_ = 0;
    // Entry indices sorted by the name as find compares it; equal names
    // keep the directory's order, so the first match is the first found.
    std::vector<std::uint32_t> byName_;
    std::vector<std::string> keys_;
};

}  // namespace xls::zip
