#include "native/zip/zip_archive.h"

#include <algorithm>
#include <limits>
#include <numeric>

#include "native/text/ascii.h"
#include "native/zip/central_directory.h"
#include "native/zip/end_record.h"
#include "native/zip/entry_stream_state.h"
#include "native/zip/local_header.h"
#include "native/zip/name_key.h"

namespace xls::zip {

namespace {

// Growing from a small start, a header that declares far more than the
// data hold costs no more memory than the data give.
constexpr std::size_t kFirstAllocation = std::size_t{1} << 20;

}  // namespace

std::string nameKey(std::string_view name) {
    std::string key(name);
    for (char& c : key) {
        if (c == '\\') c = '/';
        c = text::asciiLower(c);
    }
    if (!key.empty() && key[0] == '/') key.erase(0, 1);
    return key;
}

Archive Archive::open(std::span<const std::uint8_t> bytes, std::size_t maxEntries) {
    Archive a;
    a.bytes_ = bytes;
    const DirectoryLocation loc = locateDirectory(bytes);
    a.entries_ = readDirectory(bytes, loc, maxEntries);
    a.directoryOffset_ = loc.offset;

    a.keys_.reserve(a.entries_.size());
    for (const Entry& e : a.entries_) a.keys_.push_back(nameKey(e.name));
    a.byName_.resize(a.entries_.size());
    std::iota(a.byName_.begin(), a.byName_.end(), 0u);
    std::stable_sort(a.byName_.begin(), a.byName_.end(),
                     [&](std::uint32_t x, std::uint32_t y) { return a.keys_[x] < a.keys_[y]; });
    return a;
}

const Entry* Archive::find(std::string_view name) const {
    const std::string key = nameKey(name);
    auto it = std::lower_bound(byName_.begin(), byName_.end(), key,
                               [&](std::uint32_t i, const std::string& k) { return keys_[i] < k; });
    if (it == byName_.end() || keys_[*it] != key) return nullptr;
    return &entries_[*it];
}

EntryStream Archive::stream(const Entry& entry, std::uint64_t maxBytes) const {
    refuseUnreadable(entry, maxBytes);
    auto data = entryData(bytes_, entry, directoryOffset_);
    return EntryStream(std::make_unique<EntryStream::State>(entry, data));
}

std::span<const std::uint8_t> Archive::storedData(const Entry& entry) const {
    return entryData(bytes_, entry, directoryOffset_);
}

std::vector<std::uint8_t> Archive::read(const Entry& entry, std::uint64_t maxBytes) const {
    EntryStream s = stream(entry, maxBytes);
    // Declared sizes beyond what memory can address were refused above
    // unless the caller allows them; then the allocation fails, as it must.
    const std::uint64_t declared = entry.uncompressedSize;
    const auto cap = static_cast<std::size_t>(
        std::min<std::uint64_t>(declared, std::numeric_limits<std::size_t>::max()));
    std::vector<std::uint8_t> out(std::min(cap, kFirstAllocation));
    std::size_t have = 0;
    for (;;) {
        if (have == out.size()) {
            if (have == cap) {
                // The end checks of an empty entry run on the first read.
                std::uint8_t probe;
                s.read(&probe, 1);
                break;
            }
            out.resize(have + std::min(cap - have, std::max(have, kFirstAllocation)));
        }
        const std::size_t n = s.read(out.data() + have, out.size() - have);
        if (n == 0) break;
        have += n;
    }
    out.resize(have);
    return out;
}

}  // namespace xls::zip
