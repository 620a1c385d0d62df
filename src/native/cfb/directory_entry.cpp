#include "native/cfb/directory_entry.h"

#include <algorithm>

#include "native/io/byte_reader.h"
#include "native/text/ascii.h"
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

namespace {

void put16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put64(std::uint8_t* p, std::uint64_t v) {
    put32(p, static_cast<std::uint32_t>(v));
    put32(p + 4, static_cast<std::uint32_t>(v >> 32));
}

}  // namespace

void encodeDirectoryEntry(const DirectoryEntry& e, std::u16string_view name,
                          std::span<std::uint8_t, kDirectoryEntrySize> out) {
    std::uint8_t* p = out.data();
    std::fill(out.begin(), out.end(), std::uint8_t{0});
    const std::size_t units = std::min<std::size_t>(name.size(), 31);
    for (std::size_t i = 0; i < units; ++i) put16(p + 2 * i, name[i]);
    // Unused slots store a zero length; named entries count their NUL.
    put16(p + 64, units == 0 ? 0 : static_cast<std::uint16_t>(2 * (units + 1)));
    p[66] = e.type;
    p[67] = e.color;
    put32(p + 68, static_cast<std::uint32_t>(e.left));
    put32(p + 72, static_cast<std::uint32_t>(e.right));
    put32(p + 76, static_cast<std::uint32_t>(e.child));
    std::copy(e.clsid.begin(), e.clsid.end(), p + 80);
    put32(p + 96, e.stateBits);
    put64(p + 100, e.created);
    put64(p + 108, e.modified);
    put32(p + 116, e.startSector);
    put64(p + 120, e.size);
}

bool sameEntryName(std::string_view a, std::string_view b) {
    return text::equalsIgnoringAsciiCase(a, b);
}

}  // namespace xls::cfb
