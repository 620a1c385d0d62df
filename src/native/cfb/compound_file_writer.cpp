#include "native/cfb/compound_file_writer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "native/cfb/directory_tree.h"
#include "native/cfb/entry_name.h"
#include "native/cfb/file_layout.h"
#include "native/cfb/header.h"
#include "native/cfb/signature.h"

namespace xls::cfb {

namespace {

// Deeper nesting than this only comes from damaged or hostile files, and
// walking it recursively could exhaust the stack.
constexpr std::size_t kMaxDepth = 64;

constexpr std::uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::string_view> splitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t from = 0;
    while (true) {
        std::size_t slash = path.find('/', from);
        parts.push_back(path.substr(from, slash == std::string_view::npos ? slash : slash - from));
        if (slash == std::string_view::npos) break;
        from = slash + 1;
    }
    return parts;
}

[[noreturn]] void internalError(const std::string& what) {
    throw std::logic_error("compound file writer: " + what);
}

// The output with each region written through a check that it fills
// exactly the sectors the layout gave it.
// The file as it will be written: the header and the tables in one buffer,
// the large streams, which come last, as views of the data they are held in.
class SectorImage {
  public:
    SectorImage(const FileLayout& layout, std::uint32_t firstLargeSector)
        : layout_(layout), bytes_(offset(firstLargeSector), 0) {}

    std::uint8_t* header() { return bytes_.data(); }

    void fill(const FileLayout::Region& region, std::span<const std::uint8_t> data,
              const char* what) {
        check(region, data, what);
        if (!data.empty())
            std::memcpy(bytes_.data() + offset(region.first), data.data(), data.size());
    }
    // A large stream, kept where it is; regions come in sector order.
    void refer(const FileLayout::Region& region, std::span<const std::uint8_t> data) {
        check(region, data, "stream");
        if (offset(region.first) != bytes_.size() + referred_)
            internalError("stream at sector " + std::to_string(region.first) + " out of order");
        large_.push_back(data);
        referred_ += std::size_t{region.count} * kWriteSectorSize;
    }

    const std::vector<std::uint8_t>& head() const { return bytes_; }
    std::size_t size() const { return bytes_.size() + referred_; }

    void writeTo(const std::function<void(std::span<const std::uint8_t>)>& sink) const {
        static constexpr std::uint8_t kZeros[kWriteSectorSize] = {};
        sink(bytes_);
        for (auto data : large_) {
            sink(data);
            if (const std::size_t tail = data.size() % kWriteSectorSize)
                sink(std::span<const std::uint8_t>(kZeros, kWriteSectorSize - tail));
        }
    }

  private:
    static std::size_t offset(std::uint32_t sector) {
        return (std::size_t{sector} + 1) * kWriteSectorSize;
    }
    void check(const FileLayout::Region& region, std::span<const std::uint8_t> data,
               const char* what) const {
        const std::uint64_t capacity = std::uint64_t{region.count} * kWriteSectorSize;
        if (data.size() > capacity || capacity - data.size() >= kWriteSectorSize ||
            region.end() > layout_.totalSectors)
            internalError(std::string(what) + " of " + std::to_string(data.size()) +
                          " bytes does not match its " + std::to_string(region.count) +
                          " sectors from " + std::to_string(region.first));
    }

    const FileLayout& layout_;
    std::vector<std::uint8_t> bytes_;
    std::vector<std::span<const std::uint8_t>> large_;
    std::size_t referred_ = 0;
};

std::vector<std::uint8_t> linksToBytes(const std::vector<std::uint32_t>& links) {
    std::vector<std::uint8_t> out(links.size() * 4);
    for (std::size_t i = 0; i < links.size(); ++i) put32(out.data() + 4 * i, links[i]);
    return out;
}

void chain(std::vector<std::uint32_t>& table, std::uint32_t first, std::uint32_t count) {
    for (std::uint32_t i = 0; i < count; ++i)
        table[first + i] = i + 1 < count ? first + i + 1 : kEndOfChain;
}

void chain(std::vector<std::uint32_t>& table, const FileLayout::Region& r) {
    chain(table, r.first, r.count);
}

}  // namespace

struct CompoundFileWriter::Node {
    std::string name;
    std::u16string stored;
    std::uint8_t type = DirectoryEntry::Storage;
    Clsid clsid{};
    std::uint32_t stateBits = 0;
    std::uint64_t created = 0;
    std::uint64_t modified = 0;
    std::vector<std::uint8_t> data;
    std::vector<std::unique_ptr<Node>> children;

    Node* find(std::u16string_view n) {
        for (auto& c : children)
            if (compareEntryNames(c->stored, n) == 0) return c.get();
        return nullptr;
    }

    Node& child(std::string_view utf8, std::uint8_t wanted, std::string_view path) {
        std::u16string stored16 = checkedEntryName(utf8, "path '" + std::string(path) + "'");
        if (Node* existing = find(stored16)) {
            if (existing->type != wanted)
                throw CfbError("path '" + std::string(path) + "': '" + existing->name + "' is a " +
                               (existing->type == DirectoryEntry::Stream ? "stream" : "storage") +
                               ", not a " +
                               (wanted == DirectoryEntry::Stream ? "stream" : "storage"));
            return *existing;
        }
        auto n = std::make_unique<Node>();
        n->name = std::string(utf8);
        n->stored = std::move(stored16);
        n->type = wanted;
        children.push_back(std::move(n));
        return *children.back();
    }
};

CompoundFileWriter::CompoundFileWriter() : root_(std::make_unique<Node>()) {
    root_->name = "Root Entry";
    root_->stored = u"Root Entry";
    root_->type = DirectoryEntry::Root;
}
CompoundFileWriter::~CompoundFileWriter() = default;
CompoundFileWriter::CompoundFileWriter(CompoundFileWriter&&) noexcept = default;
CompoundFileWriter& CompoundFileWriter::operator=(CompoundFileWriter&&) noexcept = default;

void CompoundFileWriter::setRootClsid(const Clsid& clsid) {
    root_->clsid = clsid;
}

CompoundFileWriter::Node& CompoundFileWriter::descend(std::string_view path, bool wantStorage) {
    const auto parts = splitPath(path);
    if (parts.size() > kMaxDepth)
        throw CfbError("path '" + std::string(path) + "' nests " + std::to_string(parts.size()) +
                       " levels deep, at most " + std::to_string(kMaxDepth) + " are written");
    Node* at = root_.get();
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        const std::uint8_t type =
            last && !wantStorage ? DirectoryEntry::Stream : DirectoryEntry::Storage;
        at = &at->child(parts[i], type, path);
    }
    return *at;
}

void CompoundFileWriter::addStream(std::string_view path, std::vector<std::uint8_t> data) {
    if (data.size() > 0xFFFFFFFFu)
        throw CfbError("stream '" + std::string(path) + "' of " + std::to_string(data.size()) +
                       " bytes; a version 3 file stores sizes in 32 bits");
    descend(path, false).data = std::move(data);
}

void CompoundFileWriter::addStorage(std::string_view path, const Clsid& clsid) {
    descend(path, true).clsid = clsid;
}

void CompoundFileWriter::copyFrom(const CompoundFile& source,
                                  const std::function<bool(const std::string&)>& keep) {
    root_->clsid = source.root().clsid;
    root_->stateBits = source.root().stateBits;
    std::vector<bool> copied(source.entries().size(), false);
    copied[0] = true;
    copyChildren(source, source.root(), *root_, "", keep, copied);
}

void CompoundFileWriter::copyChildren(const CompoundFile& source, const DirectoryEntry& from,
                                      Node& to, const std::string& prefix,
                                      const std::function<bool(const std::string&)>& keep,
                                      std::vector<bool>& copied) {
    if (std::count(prefix.begin(), prefix.end(), '/') >= static_cast<std::ptrdiff_t>(kMaxDepth))
        throw CfbError("storage '" + prefix + "' nests more than " + std::to_string(kMaxDepth) +
                       " levels deep");
    for (const DirectoryEntry* e : source.children(from)) {
        // A damaged file can list one entry under two storages; it is
        // carried over once, where it is met first.
        const auto index = static_cast<std::size_t>(e - source.entries().data());
        if (copied[index]) continue;
        copied[index] = true;
        const std::string path = prefix.empty() ? e->name : prefix + "/" + e->name;
        if (!keep(path)) continue;
        if (e->isStream()) {
            Node& n = to.child(e->name, DirectoryEntry::Stream, path);
            n.data = source.readStream(*e);
            n.stateBits = e->stateBits;
            continue;
        }
        Node& n = to.child(e->name, DirectoryEntry::Storage, path);
        n.clsid = e->clsid;
        n.stateBits = e->stateBits;
        n.created = e->created;
        n.modified = e->modified;
        copyChildren(source, *e, n, path, keep, copied);
    }
}

std::vector<std::uint8_t> CompoundFileWriter::finish() const {
    std::vector<std::uint8_t> out;
    finish([&](std::span<const std::uint8_t> piece) {
        out.insert(out.end(), piece.begin(), piece.end());
    });
    return out;
}

void CompoundFileWriter::finish(
    const std::function<void(std::span<const std::uint8_t>)>& sink) const {
    // Directory first: entries numbered storage by storage, each storage's
    // children adjacent and linked into their tree.
    std::vector<DirectoryEntry> entries(1);
    std::vector<const Node*> nodes{root_.get()};
    entries[0].type = DirectoryEntry::Root;
    entries[0].color = kBlack;
    entries[0].clsid = root_->clsid;
    entries[0].stateBits = root_->stateBits;
    for (std::size_t at = 0; at < nodes.size(); ++at) {
        const Node& parent = *nodes[at];
        if (parent.type == DirectoryEntry::Stream || parent.children.empty()) continue;
        std::vector<const Node*> sorted;
        for (const auto& c : parent.children) sorted.push_back(c.get());
        std::sort(sorted.begin(), sorted.end(), [](const Node* a, const Node* b) {
            return compareEntryNames(a->stored, b->stored) < 0;
        });
        std::vector<std::uint32_t> indices;
        for (const Node* c : sorted) {
            indices.push_back(static_cast<std::uint32_t>(entries.size()));
            DirectoryEntry e;
            e.type = c->type;
            e.clsid = c->clsid;
            e.stateBits = c->stateBits;
            e.created = c->created;
            e.modified = c->modified;
            entries.push_back(e);
            nodes.push_back(c);
        }
        entries[at].child = linkSiblingTree(indices, entries);
    }

    std::vector<std::uint32_t> streamEntries;
    std::vector<std::uint64_t> sizes;
    for (std::uint32_t i = 0; i < entries.size(); ++i)
        if (entries[i].type == DirectoryEntry::Stream) {
            streamEntries.push_back(i);
            sizes.push_back(nodes[i]->data.size());
        }
    const FileLayout layout = planLayout(entries.size(), sizes);

    for (std::size_t k = 0; k < streamEntries.size(); ++k) {
        DirectoryEntry& e = entries[streamEntries[k]];
        e.startSector = layout.streams[k].start;
        e.size = sizes[k];
    }
    entries[0].startSector = layout.miniSectors ? layout.miniStream.first : kEndOfChain;
    entries[0].size = std::uint64_t{layout.miniSectors} * kWriteMiniSectorSize;

    // The large streams follow everything else, in the order placed.
    std::vector<std::size_t> large;
    for (std::size_t k = 0; k < layout.streams.size(); ++k)
        if (!layout.streams[k].mini && layout.streams[k].sectors > 0) large.push_back(k);
    std::sort(large.begin(), large.end(), [&](std::size_t a, std::size_t b) {
        return layout.streams[a].start < layout.streams[b].start;
    });
    SectorImage image(layout,
                      large.empty() ? layout.totalSectors : layout.streams[large.front()].start);

    // Allocation tables.
    std::vector<std::uint32_t> fat(std::size_t{layout.fat.count} * (kWriteSectorSize / 4),
                                   kFreeSector);
    for (std::uint32_t s = layout.fat.first; s < layout.fat.end(); ++s) fat[s] = kFatSector;
    for (std::uint32_t s = layout.difat.first; s < layout.difat.end(); ++s) fat[s] = kDifatSector;
    chain(fat, layout.directory);
    chain(fat, layout.miniFat);
    chain(fat, layout.miniStream);
    std::vector<std::uint32_t> miniFat(std::size_t{layout.miniFat.count} * (kWriteSectorSize / 4),
                                       kFreeSector);
    for (const auto& p : layout.streams) {
        if (p.sectors == 0) continue;
        chain(p.mini ? miniFat : fat, p.start, p.sectors);
    }
    image.fill(layout.fat, linksToBytes(fat), "FAT");
    image.fill(layout.miniFat, linksToBytes(miniFat), "mini FAT");

    // FAT sectors past the header's 109 are listed in DIFAT sectors, each
    // ending with the link to the next.
    constexpr std::uint32_t perDifat = kWriteSectorSize / 4 - 1;
    std::vector<std::uint32_t> difat(std::size_t{layout.difat.count} * (perDifat + 1), kFreeSector);
    for (std::uint32_t k = 0; k < layout.difat.count; ++k) {
        for (std::uint32_t j = 0; j < perDifat; ++j) {
            const std::uint64_t fatIndex = kHeaderDifatEntries + std::uint64_t{k} * perDifat + j;
            if (fatIndex < layout.fat.count)
                difat[k * (perDifat + 1) + j] =
                    layout.fat.first + static_cast<std::uint32_t>(fatIndex);
        }
        difat[k * (perDifat + 1) + perDifat] =
            k + 1 < layout.difat.count ? layout.difat.first + k + 1 : kEndOfChain;
    }
    image.fill(layout.difat, linksToBytes(difat), "DIFAT");

    // Directory, padded with unused entries to whole sectors.
    std::vector<std::uint8_t> dir(std::size_t{layout.directory.count} * kWriteSectorSize);
    const DirectoryEntry unused;
    for (std::size_t i = 0; i * kDirectoryEntrySize < dir.size(); ++i) {
        std::span<std::uint8_t, kDirectoryEntrySize> slot(dir.data() + i * kDirectoryEntrySize,
                                                          kDirectoryEntrySize);
        if (i < entries.size())
            encodeDirectoryEntry(entries[i], nodes[i]->stored, slot);
        else
            encodeDirectoryEntry(unused, {}, slot);
    }
    image.fill(layout.directory, dir, "directory");

    // Stream contents.
    std::vector<std::uint8_t> mini(std::size_t{layout.miniSectors} * kWriteMiniSectorSize);
    for (std::size_t k = 0; k < streamEntries.size(); ++k) {
        const auto& p = layout.streams[k];
        const auto& data = nodes[streamEntries[k]]->data;
        if (p.mini && !data.empty())
            std::memcpy(mini.data() + std::size_t{p.start} * kWriteMiniSectorSize, data.data(),
                        data.size());
    }
    image.fill(layout.miniStream, mini, "mini stream");
    for (std::size_t k : large)
        image.refer({layout.streams[k].start, layout.streams[k].sectors},
                    nodes[streamEntries[k]]->data);

    std::uint8_t* h = image.header();
    std::memcpy(h, kSignature, sizeof kSignature);
    put16(h + 24, 0x003E);
    put16(h + 26, 3);
    put16(h + 28, 0xFFFE);
    put16(h + 30, 9);
    put16(h + 32, 6);
    put32(h + 44, layout.fat.count);
    put32(h + 48, layout.directory.first);
    put32(h + 56, kMiniStreamCutoff);
    put32(h + 60, layout.miniFat.count ? layout.miniFat.first : kEndOfChain);
    put32(h + 64, layout.miniFat.count);
    put32(h + 68, layout.difat.count ? layout.difat.first : kEndOfChain);
    put32(h + 72, layout.difat.count);
    for (std::uint32_t i = 0; i < kHeaderDifatEntries; ++i)
        put32(h + 76 + 4 * i, i < layout.fat.count ? layout.fat.first + i : kFreeSector);

    // The header read back must describe the layout that was planned.
    const Header check = parseHeader(image.head());
    if (!hasCompoundFileSignature(image.head()) || check.numFatSectors != layout.fat.count ||
        check.firstDirectorySector != layout.directory.first ||
        check.numMiniFatSectors != layout.miniFat.count ||
        check.numDifatSectors != layout.difat.count || image.size() != layout.fileSize())
        internalError("header does not match the planned layout");
    image.writeTo(sink);
}

}  // namespace xls::cfb
