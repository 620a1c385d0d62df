#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace xls::cfb {

inline constexpr std::int32_t kNoStream = -1;  // 0xFFFFFFFF in a sibling/child field
inline constexpr std::size_t kDirectoryEntrySize = 128;

// One 128-byte directory entry as stored, the name already in UTF-8.
struct DirectoryEntry {
    enum Type : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

    std::string name;
    std::uint8_t type = Unused;
    std::uint8_t color = 0;  // red-black tree colour, kept for writing back
    std::int32_t left = kNoStream;
    std::int32_t right = kNoStream;
    std::int32_t child = kNoStream;
    std::array<std::uint8_t, 16> clsid{};
    std::uint32_t stateBits = 0;
    std::uint64_t created = 0;
    std::uint64_t modified = 0;
    std::uint32_t startSector = 0;
    std::uint64_t size = 0;  // as stored; see CompoundFile::streamSize

    bool isStream() const { return type == Stream; }
    bool isStorage() const { return type == Storage || type == Root; }
};

// Decodes one entry from exactly kDirectoryEntrySize bytes. Never throws: a
// bad name length is clamped and an unknown type reads as Unused, since
// writers leave such entries behind in slots they no longer use.
DirectoryEntry parseDirectoryEntry(std::span<const std::uint8_t, kDirectoryEntrySize> bytes);

// The stored form of `e` into exactly kDirectoryEntrySize bytes. The name
// must already have passed checkedEntryName (at most 31 units).
void encodeDirectoryEntry(const DirectoryEntry& e, std::u16string_view name,
                          std::span<std::uint8_t, kDirectoryEntrySize> out);

// Entry names compare without regard to ASCII letter case.
bool sameEntryName(std::string_view a, std::string_view b);

}  // namespace xls::cfb
