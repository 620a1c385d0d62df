#include "native/cfb/compound_file.h"

#include <algorithm>

#include "native/cfb/sector_chain.h"
#include "native/cfb/signature.h"
#include "native/io/byte_reader.h"

namespace xls::cfb {

namespace {

constexpr std::int32_t kNone = kNoStream;

SectorSpace fileSpace(const std::vector<std::uint8_t>& bytes, const Header& h,
                      std::span<const std::uint32_t> table) {
    // The header occupies the whole first sector (4096 bytes in version 4).
    return SectorSpace{table, bytes, h.sectorSize(), h.sectorShift, "sector"};
}

std::string entryLabel(const DirectoryEntry& e) {
    return e.name;
}

}  // namespace

bool CompoundFile::hasSignature(std::span<const std::uint8_t> bytes) {
    return hasCompoundFileSignature(bytes);
}

CompoundFile::CompoundFile(std::shared_ptr<const std::vector<std::uint8_t>> bytes)
    : bytes_(std::move(bytes)) {
    if (!bytes_) throw CfbError("no bytes to read");
    header_ = parseHeader(*bytes_);
    loadFat();
    loadDirectory();
    loadMiniStream();
}

namespace {

std::shared_ptr<std::vector<std::uint8_t>> sharedBytes(std::vector<std::uint8_t>&& bytes) {
    return std::make_shared<std::vector<std::uint8_t>>(std::move(bytes));
}

}  // namespace

CompoundFile::CompoundFile(std::vector<std::uint8_t>&& bytes)
    : CompoundFile(
          std::shared_ptr<const std::vector<std::uint8_t>>(sharedBytes(std::move(bytes)))) {
    // Made above as a vector that is not const: only this object sees it.
    owned_ = const_cast<std::vector<std::uint8_t>*>(bytes_.get());
}

void CompoundFile::loadFat() {
    const Header& h = header_;
    const SectorSpace space = fileSpace(*bytes_, h, {});
    const std::uint64_t available = space.sectorCount();
    const std::uint32_t wanted = h.numFatSectors;

    auto checkFatSector = [&](std::uint32_t s) {
        if (s >= available)
            throw CfbError("FAT sector " + std::to_string(s) + " beyond end of file (" +
                           std::to_string(available) + " sectors)");
        fatSectors_.push_back(s);
    };

    // The count in the header is trusted only as an upper bound: writers and
    // fuzzers leave markers or garbage after the real entries, and a marker
    // ends the list.
    bool ended = false;
    for (std::size_t i = 0; i < kHeaderDifatEntries && fatSectors_.size() < wanted; ++i) {
        if (h.difat[i] > kMaxRegularSector) {
            ended = true;
            break;
        }
        checkFatSector(h.difat[i]);
    }

    if (!ended && fatSectors_.size() < wanted) {
        const std::uint32_t perSector = h.sectorSize() / 4 - 1;
        std::vector<bool> seen(available, false);
        for (std::uint32_t s = h.firstDifatSector;
             s <= kMaxRegularSector && !ended && fatSectors_.size() < wanted;) {
            if (s >= available)
                throw CfbError("DIFAT sector " + std::to_string(s) + " beyond end of file (" +
                               std::to_string(available) + " sectors)");
            if (seen[s])
                throw CfbError("DIFAT chain loops back to sector " + std::to_string(s) + " after " +
                               std::to_string(difatSectors_.size()) + " sectors");
            seen[s] = true;
            difatSectors_.push_back(s);
            std::size_t offset = (std::size_t{s} + 1) << h.sectorShift;
            if (offset + h.sectorSize() > bytes_->size())
                throw CfbError("DIFAT sector " + std::to_string(s) +
                               " is cut short by the end of the file");
            const std::uint8_t* p = bytes_->data() + offset;
            for (std::uint32_t j = 0; j < perSector && fatSectors_.size() < wanted; ++j) {
                std::uint32_t fatSector = io::le32(p + 4 * j);
                if (fatSector > kMaxRegularSector) {
                    ended = true;
                    break;
                }
                checkFatSector(fatSector);
            }
            s = io::le32(p + 4 * perSector);
        }
    }
    if (fatSectors_.empty()) throw CfbError("the file lists no FAT sectors");

    const std::size_t perSector = h.sectorSize() / 4;
    fat_.assign(fatSectors_.size() * perSector, kFreeSector);
    std::uint32_t* out = fat_.data();
    for (std::uint32_t s : fatSectors_) {
        std::size_t offset = (std::size_t{s} + 1) << h.sectorShift;
        // A FAT sector cut short by the end of the file keeps what is there;
        // the missing entries read as free.
        std::size_t present = std::min<std::size_t>(perSector, (bytes_->size() - offset) / 4);
        const std::uint8_t* p = bytes_->data() + offset;
        for (std::size_t j = 0; j < present; ++j) out[j] = io::le32(p + 4 * j);
        out += perSector;
    }
}

void CompoundFile::loadDirectory() {
    const SectorSpace space = fileSpace(*bytes_, header_, fat_);
    // A directory chain that runs off the file after some sectors still
    // holds a usable tree in the sectors before the break.
    std::vector<std::uint32_t> sectors =
        chainSectors(space, header_.firstDirectorySector, "directory", ChainEnd::Lenient);
    if (sectors.empty())
        throw CfbError("directory chain is empty (first sector " +
                       std::to_string(header_.firstDirectorySector) + ")");

    const std::size_t perSector = header_.sectorSize() / kDirectoryEntrySize;
    entries_.reserve(sectors.size() * perSector);
    for (std::uint32_t s : sectors) {
        std::size_t offset = (std::size_t{s} + 1) << header_.sectorShift;
        std::size_t present = std::min(perSector, (bytes_->size() - offset) / kDirectoryEntrySize);
        for (std::size_t j = 0; j < present; ++j) {
            std::span<const std::uint8_t, kDirectoryEntrySize> raw(
                bytes_->data() + offset + j * kDirectoryEntrySize, kDirectoryEntrySize);
            entries_.push_back(parseDirectoryEntry(raw));
        }
    }
    if (entries_.empty()) throw CfbError("directory has no complete entry");
    if (entries_[0].type != DirectoryEntry::Root)
        throw CfbError("directory entry 0 has type " + std::to_string(entries_[0].type) +
                       ", expected the root (5)");
    rootChildren_ = collectChildren(0);
}

void CompoundFile::loadMiniStream() {
    const SectorSpace space = fileSpace(*bytes_, header_, fat_);
    try {
        std::vector<std::uint32_t> sectors =
            chainSectors(space, header_.firstMiniFatSector, "mini FAT");
        const std::size_t perSector = header_.sectorSize() / 4;
        miniFat_.assign(sectors.size() * perSector, kFreeSector);
        std::uint32_t* out = miniFat_.data();
        for (std::uint32_t s : sectors) {
            std::size_t offset = (std::size_t{s} + 1) << header_.sectorShift;
            std::size_t present = std::min<std::size_t>(perSector, (bytes_->size() - offset) / 4);
            for (std::size_t j = 0; j < present; ++j)
                out[j] = io::le32(bytes_->data() + offset + 4 * j);
            out += perSector;
        }
        readChain(space, root().startSector, streamSize(root()), "mini stream", miniStream_);
    } catch (const CfbError& e) {
        miniStreamError_ = e.what();
        miniStream_.clear();
    }
}

std::vector<std::uint32_t> CompoundFile::collectChildren(std::int32_t storage) const {
    // In-order walk of the storage's sibling tree. Every entry may be
    // reached once; reaching one again (or the storage itself) is a cycle.
    std::vector<std::uint32_t> result;
    std::vector<bool> seen(entries_.size(), false);
    std::vector<std::uint32_t> stack;
    seen[static_cast<std::size_t>(storage)] = true;
    std::size_t from = static_cast<std::size_t>(storage);
    std::int32_t link = entries_[from].child;
    while (link != kNone || !stack.empty()) {
        while (link != kNone) {
            auto index = static_cast<std::uint32_t>(link);
            // Damaged files link to entries that do not exist; there is
            // nothing to read there, and the rest of the tree stays usable.
            if (index >= entries_.size()) {
                link = kNone;
                break;
            }
            if (seen[index])
                throw CfbError("directory tree under '" + entryLabel(entries_[storage]) +
                               "' reaches entry " + std::to_string(index) + " twice (from " +
                               std::to_string(from) + ")");
            seen[index] = true;
            stack.push_back(index);
            from = index;
            link = entries_[index].left;
        }
        if (stack.empty()) break;
        std::uint32_t index = stack.back();
        stack.pop_back();
        if (entries_[index].type != DirectoryEntry::Unused) result.push_back(index);
        from = index;
        link = entries_[index].right;
    }
    return result;
}

std::vector<const DirectoryEntry*> CompoundFile::rootChildren() const {
    std::vector<const DirectoryEntry*> out;
    out.reserve(rootChildren_.size());
    for (std::uint32_t i : rootChildren_) out.push_back(&entries_[i]);
    return out;
}

std::vector<const DirectoryEntry*> CompoundFile::children(const DirectoryEntry& storage) const {
    if (&storage < entries_.data() || &storage >= entries_.data() + entries_.size())
        throw CfbError("entry '" + storage.name + "' is not part of this file");
    if (!storage.isStorage())
        throw CfbError("entry '" + storage.name + "' is not a storage (type " +
                       std::to_string(storage.type) + ")");
    auto indices = collectChildren(static_cast<std::int32_t>(&storage - entries_.data()));
    std::vector<const DirectoryEntry*> out;
    out.reserve(indices.size());
    for (std::uint32_t i : indices) out.push_back(&entries_[i]);
    return out;
}

const DirectoryEntry* CompoundFile::findInRoot(std::string_view name) const {
    for (std::uint32_t i : rootChildren_)
        if (sameEntryName(entries_[i].name, name)) return &entries_[i];
    return nullptr;
}

std::uint64_t CompoundFile::streamSize(const DirectoryEntry& entry) const {
    return header_.majorVersion == 3 ? (entry.size & 0xFFFFFFFFu) : entry.size;
}

std::optional<std::vector<std::uint8_t>> CompoundFile::readStream(std::string_view name) const {
    const DirectoryEntry* entry = findInRoot(name);
    if (!entry || !entry->isStream()) return std::nullopt;
    return readStream(*entry);
}

std::vector<std::uint8_t> CompoundFile::readStream(const DirectoryEntry& entry) const {
    if (!entry.isStream() && entry.type != DirectoryEntry::Root)
        throw CfbError("entry '" + entry.name + "' is not a stream (type " +
                       std::to_string(entry.type) + ")");
    std::vector<std::uint8_t> out;
    const std::uint64_t size = streamSize(entry);
    if (entry.type == DirectoryEntry::Root || size >= header_.miniStreamCutoff) {
        readChain(fileSpace(*bytes_, header_, fat_), entry.startSector, size, entry.name, out);
        return out;
    }
    if (!miniStreamError_.empty())
        throw CfbError("stream '" + entry.name +
                       "' lies in the mini stream, which is unreadable: " + miniStreamError_);
    SectorSpace mini{miniFat_, miniStream_, 0, header_.miniSectorShift, "mini sector"};
    readChain(mini, entry.startSector, size, entry.name, out);
    return out;
}

std::vector<std::uint8_t> CompoundFile::takeStream(const DirectoryEntry& entry) {
    const std::uint64_t size = streamSize(entry);
    if (owned_ == nullptr || !entry.isStream() || size < header_.miniStreamCutoff)
        return readStream(entry);
    if (!readChainInPlace(fileSpace(*owned_, header_, fat_), entry.startSector, size, entry.name,
                          *owned_))
        return readStream(entry);
    std::vector<std::uint8_t> stream = std::move(*owned_);
    owned_->clear();
    owned_ = nullptr;
    return stream;
}

}  // namespace xls::cfb
