#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "native/zip/zip_archive.h"

namespace xls::zip {

// Where the archive goes, piece by piece and in order. The shape of the
// atomic file writer's sink, so that a file being saved takes the pieces as
// they are made and no whole archive is held in memory.
using ByteSink = std::function<void(std::span<const std::uint8_t>)>;

// The time and date of a modification in MS-DOS form. Throws ZipError
// outside 1980-01-01 to 2107-12-31 or for a field out of its range; odd
// seconds are rounded down, as the form keeps two-second steps.
DosTime dosTime(int year, int month, int day, int hour, int minute, int second);

// Writes a zip archive entry by entry: each entry's local header and data go
// to the sink as soon as it is added, and finish adds the central directory.
// Names are UTF-8 and flagged as such when they are not ASCII. Sizes and
// CRC stand in the local headers, so there are no data descriptors; nor is
// there ZIP64: an archive that would need it (more than 65,534 entries, or
// entries and data past 4 GiB - 1) is refused with ZipError instead.
// An entry refused (bad or repeated name, a limit) leaves the archive as it
// was. When the sink throws, the archive is left unfinished and every
// further call throws ZipError.
class ZipWriter {
  public:
    // Every entry added gets `modified` as its time; copied entries keep
    // their own.
    explicit ZipWriter(ByteSink sink, DosTime modified = {});
    // One writer per archive: a copy would write a second archive into the
    // same sink.
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;
    ZipWriter(ZipWriter&&) = default;
    ZipWriter& operator=(ZipWriter&&) = default;

    // Compressed with raw deflate. The compressed bytes are held until they
    // are written, never the content a second time.
    void addDeflated(std::string_view name, std::span<const std::uint8_t> content);
    void addDeflated(std::string_view name, std::string_view content) {
        addDeflated(name, asBytes(content));
    }
    // Written as they are, straight to the sink.
    void addStored(std::string_view name, std::span<const std::uint8_t> content);
    void addStored(std::string_view name, std::string_view content) {
        addStored(name, asBytes(content));
    }

    // The entry of `from` carried over unchanged: its name, compressed data,
    // method, CRC, sizes, time and flags (but the one saying a data
    // descriptor follows: the sizes are in the header now), nothing
    // inflated. Throws ZipError when its data do not lie within `from`, and
    // ZipRefused when it is encrypted or compressed by a method other than
    // stored or deflate, which we could not vouch for.
    void copyEntry(const Archive& from, const Entry& entry);

    // The central directory and its end record. Nothing can be added after.
    void finish();

    // Bytes handed to the sink so far.
    std::uint64_t size() const { return offset_; }

  private:
    struct Written {
        std::string name;
        std::uint16_t flags, method;
        DosTime modified;
        std::uint32_t crc32;
        std::uint32_t compressedSize, uncompressedSize;
        std::uint32_t localHeaderOffset;
    };

    // The fields the local header and the central directory both hold, from
    // the flags to the name's length, in their order.
    static void putEntryFields(std::uint8_t*& p, const Written& e);
    static std::span<const std::uint8_t> asBytes(std::string_view s) {
        return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
    }
    void checkOpen() const;
    // Checks the name and that the entry fits, writes its local header and
    // data, and records it for the central directory.
    void write(Written entry, std::span<const std::uint8_t> data);
    void emit(std::span<const std::uint8_t> bytes);

    ByteSink sink_;
    DosTime modified_;
    std::vector<Written> written_;
    // The names as the reader looks them up: two that it would take for one
    // are refused.
    std::unordered_set<std::string> keys_;
    std::uint64_t offset_ = 0;
    bool finished_ = false, failed_ = false;
};

}  // namespace xls::zip
