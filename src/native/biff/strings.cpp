#include "native/biff/strings.h"

#include "native/text/unicode.h"

namespace xls::biff {

std::string compressedToUtf8(std::span<const std::uint8_t> bytes) {
    for (std::uint8_t b : bytes)
        if (b >= 0x80) return text::latin1ToUtf8(bytes);
    return std::string(bytes.begin(), bytes.end());
}

std::string readUnicodeStringNoCch(io::ByteReader& r, std::size_t cch) {
    // Some writers drop the option byte of an empty string at a record end.
    if (cch == 0 && r.atEnd()) return {};
    const bool high = (r.u8() & 0x01) != 0;
    return high ? text::utf16leToUtf8(r.bytes(cch * 2)) : compressedToUtf8(r.bytes(cch));
}

std::string readUnicodeString(io::ByteReader& r) {
    const std::uint16_t cch = r.u16();
    return readUnicodeStringNoCch(r, cch);
}

std::string readShortUnicodeString(io::ByteReader& r) {
    const std::uint8_t cch = r.u8();
    return readUnicodeStringNoCch(r, cch);
}

}  // namespace xls::biff
