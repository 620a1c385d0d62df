#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "native/cfb/directory_entry.h"

namespace xls::cfb {

inline constexpr std::uint8_t kRed = 0;
inline constexpr std::uint8_t kBlack = 1;

// Links the siblings `sorted` (entry indices already in name order) into
// one red-black tree and returns the index of its top, or kNoStream when
// there are none. The tree is built perfectly balanced: every level is full
// except perhaps the deepest, whose entries are red and all others black,
// so every path has the same number of black entries as the format asks.
std::int32_t linkSiblingTree(std::span<const std::uint32_t> sorted,
                             std::vector<DirectoryEntry>& entries);

}  // namespace xls::cfb
