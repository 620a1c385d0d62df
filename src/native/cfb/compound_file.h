#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "native/cfb/cfb_error.h"
#include "native/cfb/directory_entry.h"
#include "native/cfb/header.h"

namespace xls::cfb {

// A compound file opened for reading. The parsed header, allocation tables
// and directory are kept as read so that a writer can start from them.
class CompoundFile {
  public:
    static bool hasSignature(std::span<const std::uint8_t> bytes);

    // Parses header, DIFAT, FAT, directory and mini FAT; throws CfbError.
    explicit CompoundFile(std::shared_ptr<const std::vector<std::uint8_t>> bytes);
    // The same for bytes the file owns alone, which takeStream may take.
    explicit CompoundFile(std::vector<std::uint8_t>&& bytes);

    const Header& header() const { return header_; }
    // Sector numbers of the FAT sectors, in order, from the header and the
    // DIFAT sectors.
    const std::vector<std::uint32_t>& fatSectors() const { return fatSectors_; }
    const std::vector<std::uint32_t>& difatSectors() const { return difatSectors_; }
    const std::vector<std::uint32_t>& fat() const { return fat_; }
    const std::vector<std::uint32_t>& miniFat() const { return miniFat_; }
    const std::vector<std::uint8_t>& bytes() const { return *bytes_; }

    const std::vector<DirectoryEntry>& entries() const { return entries_; }
    const DirectoryEntry& root() const { return entries_.front(); }

    // Entries directly under the root, in tree order. Unused entries that
    // the tree happens to reach are left out.
    std::vector<const DirectoryEntry*> rootChildren() const;
    // Same for any storage; throws CfbError on a broken tree.
    std::vector<const DirectoryEntry*> children(const DirectoryEntry& storage) const;

    // A stream or storage directly under the root, matched ignoring ASCII
    // letter case; nullptr if there is none.
    const DirectoryEntry* findInRoot(std::string_view name) const;

    // Contents of a stream directly under the root; nullopt if there is no
    // such stream. Throws CfbError if the stream is there but unreadable.
    std::optional<std::vector<std::uint8_t>> readStream(std::string_view name) const;
    std::vector<std::uint8_t> readStream(const DirectoryEntry& entry) const;
    // Contents of a stream as readStream gives them, made of the file's own
    // bytes where it owns them and the stream's sectors allow (see
    // readChainInPlace), so that a large stream is not held twice. The file
    // then has no bytes left: only streams in the mini stream stay readable.
    std::vector<std::uint8_t> takeStream(const DirectoryEntry& entry);

    // The size that counts: version 3 files keep only 32 bits, and writers
    // leave garbage in the high half.
    std::uint64_t streamSize(const DirectoryEntry& entry) const;

  private:
    void loadFat();
    void loadDirectory();
    void loadMiniStream();
    std::vector<std::uint32_t> collectChildren(std::int32_t storage) const;

    std::shared_ptr<const std::vector<std::uint8_t>> bytes_;
    // The bytes of the second constructor, not shared with anyone.
    std::vector<std::uint8_t>* owned_ = nullptr;
    Header header_;
    std::vector<std::uint32_t> fatSectors_;
    std::vector<std::uint32_t> difatSectors_;
    std::vector<std::uint32_t> fat_;
    std::vector<std::uint32_t> miniFat_;
    std::vector<DirectoryEntry> entries_;
    std::vector<std::uint32_t> rootChildren_;
    std::vector<std::uint8_t> miniStream_;
    // Why the mini stream could not be loaded. Streams in regular sectors
    // stay readable; only reading a small stream reports this.
    std::string miniStreamError_;
};

}  // namespace xls::cfb
