#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "native/cfb/compound_file.h"
#include "native/cfb/directory_tree.h"
#include "native/cfb/entry_name.h"
#include "native/text/unicode.h"

namespace xls::cfb::testing {

// What a compound file holds, as a reader sees it: every stream and
// storage by path, streams with their bytes.
struct Item {
    bool storage = false;
    std::vector<std::uint8_t> data;
    friend bool operator==(const Item&, const Item&) = default;
};
using Contents = std::map<std::string, Item>;

inline void collect(const CompoundFile& cf, const DirectoryEntry& storage,
                    const std::string& prefix, Contents& out, int depth = 0) {
    if (depth > 64) return;
    for (const DirectoryEntry* e : cf.children(storage)) {
        const std::string path = prefix.empty() ? e->name : prefix + "/" + e->name;
        if (e->isStream()) {
            out[path] = Item{false, cf.readStream(*e)};
        } else {
            out[path] = Item{true, {}};
            collect(cf, *e, path, out, depth + 1);
        }
    }
}

inline Contents contentsOf(const CompoundFile& cf) {
    Contents out;
    collect(cf, cf.root(), "", out);
    return out;
}

// Checks one storage's sibling tree as the format defines it: names in
// order, no red entry with a red child, the same number of black entries
// on every path. Returns the black height, or -1 with `why` set.
inline int checkSubtree(const std::vector<DirectoryEntry>& entries, std::int32_t at,
                        const std::u16string* low, const std::u16string* high, std::string& why,
                        bool parentRed = false) {
    if (at == kNoStream) return 1;
    if (at < 0 || static_cast<std::size_t>(at) >= entries.size()) {
        why = "link to entry " + std::to_string(at) + " outside the directory";
        return -1;
    }
    const DirectoryEntry& e = entries[static_cast<std::size_t>(at)];
    const std::u16string name = text::utf8ToUtf16(e.name);
    if ((low && compareEntryNames(*low, name) >= 0) ||
        (high && compareEntryNames(name, *high) >= 0)) {
        why = "entry '" + e.name + "' is out of order";
        return -1;
    }
    const bool red = e.color == kRed;
    if (red && parentRed) {
        why = "red entry '" + e.name + "' under a red parent";
        return -1;
    }
    int l = checkSubtree(entries, e.left, low, &name, why, red);
    int r = checkSubtree(entries, e.right, &name, high, why, red);
    if (l < 0 || r < 0) return -1;
    if (l != r) {
        why = "black heights " + std::to_string(l) + " and " + std::to_string(r) + " under '" +
              e.name + "'";
        return -1;
    }
    return l + (red ? 0 : 1);
}

// Every storage's tree is a valid red-black tree with a black top.
inline std::string treeProblems(const CompoundFile& cf) {
    const auto& entries = cf.entries();
    for (const auto& e : entries) {
        if (!e.isStorage() || e.child == kNoStream) continue;
        std::string why;
        if (entries.at(static_cast<std::size_t>(e.child)).color != kBlack)
            return "tree under '" + e.name + "' has a red top";
        if (checkSubtree(entries, e.child, nullptr, nullptr, why) < 0)
            return "tree under '" + e.name + "': " + why;
    }
    return {};
}

inline std::uint32_t crc32(const std::vector<std::uint8_t>& data) {
    std::uint32_t c = 0xFFFFFFFFu;
    for (std::uint8_t b : data) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
    }
    return ~c;
}

}  // namespace xls::cfb::testing
