#include "native/cfb/directory_entry.h"

#include <algorithm>

#include "native/io/byte_reader.h"
#include "native/text/unicode.h"

namespace xls::cfb {

DirectoryEntry parseDirectoryEntry(std::span<const std::uint8_t, kDirectoryEntrySize> bytes) {
    using io::le32;
    const std::uint8_t* p = bytes.data();
    DirectoryEntry e;

    // The length counts bytes including the terminating NUL; damaged files
    // give odd or oversized lengths, so stop at the first NUL within the
    // 64-byte field as well.
    std::size_t nameBytes = std::min<std::size_t>(io::le16(p + 64), 64);
    std::size_t units = nameBytes / 2;
    for (std::size_t i = 0; i < units; ++i) {
        if (io::le16(p + 2 * i) == 0) {
            units = i;
            break;
        }
    }
    e.name = text::utf16leToUtf8(bytes.first(units * 2));

    std::uint8_t type = p[66];
    e.type = (type == DirectoryEntry::Storage || type == DirectoryEntry::Stream ||
              type == DirectoryEntry::Root)
                 ? type
                 : static_cast<std::uint8_t>(DirectoryEntry::Unused);
    e.color = p[67];
    e.left = static_cast<std::int32_t>(le32(p + 68));
    e.right = static_cast<std::int32_t>(le32(p + 72));
    e.child = static_cast<std::int32_t>(le32(p + 76));
    std::copy(p + 80, p + 96, e.clsid.begin());
    e.stateBits = le32(p + 96);
    e.created = le32(p + 100) | (std::uint64_t{le32(p + 104)} << 32);
    e.modified = le32(p + 108) | (std::uint64_t{le32(p + 112)} << 32);
    e.startSector = le32(p + 116);
    e.size = le32(p + 120) | (std::uint64_t{le32(p + 124)} << 32);
    return e;
}

bool sameEntryName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    auto fold = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold(a[i]) != fold(b[i])) return false;
    return true;
}

}  // namespace xls::cfb
