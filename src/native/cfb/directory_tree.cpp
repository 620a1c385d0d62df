#include "native/cfb/directory_tree.h"

namespace xls::cfb {

namespace {

// Levels that are full in a tree of n entries whose subtrees never differ
// in size by more than one.
unsigned fullLevels(std::size_t n) {
    unsigned levels = 0;
    while ((std::size_t{2} << levels) - 1 <= n) ++levels;
    return levels;
}

std::int32_t link(std::span<const std::uint32_t> sorted, unsigned depth, unsigned full,
                  std::vector<DirectoryEntry>& entries) {
    if (sorted.empty()) return kNoStream;
    // Splitting at the middle keeps the two halves within one entry of each
    // other, so only the last level can be incomplete.
    const std::size_t mid = (sorted.size() - 1) / 2;
    DirectoryEntry& e = entries[sorted[mid]];
    e.color = depth >= full ? kRed : kBlack;
    e.left = link(sorted.first(mid), depth + 1, full, entries);
    e.right = link(sorted.subspan(mid + 1), depth + 1, full, entries);
    return static_cast<std::int32_t>(sorted[mid]);
}

}  // namespace

std::int32_t linkSiblingTree(std::span<const std::uint32_t> sorted,
                             std::vector<DirectoryEntry>& entries) {
    return link(sorted, 0, fullLevels(sorted.size()), entries);
}

}  // namespace xls::cfb
