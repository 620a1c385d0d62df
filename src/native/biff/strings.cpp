#include "native/biff/strings.h"

#include "native/text/codepage.h"
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

std::string byteStringToUtf8(std::span<const std::uint8_t> bytes, std::uint16_t codepage) {
    for (std::uint8_t b : bytes)
        if (b >= 0x80 || codepage == kUtf16Codepage) return text::codepageToUtf8(bytes, codepage);
    return std::string(bytes.begin(), bytes.end());
}

std::string readByteStringNoCch(io::ByteReader& r, std::size_t cch, std::uint16_t codepage) {
    const std::size_t width = codepage == kUtf16Codepage ? 2 : 1;
    return byteStringToUtf8(r.bytes(cch * width), codepage);
}

std::string readShortByteString(io::ByteReader& r, std::uint16_t codepage) {
    const std::uint8_t cch = r.u8();
    return readByteStringNoCch(r, cch, codepage);
}

std::string readByteString(io::ByteReader& r, std::uint16_t codepage) {
    const std::uint16_t cch = r.u16();
    return readByteStringNoCch(r, cch, codepage);
}

std::size_t byteLengthOfCharacters(std::span<const std::uint8_t> bytes, std::size_t cch,
                                   std::uint16_t codepage) {
    std::size_t n = 0;
    for (std::size_t chars = 0; chars < cch && n < bytes.size(); ++chars)
        n += text::isLeadByte(codepage, bytes[n]) ? 2 : 1;
    return n;
}

std::string readByteStringBefore(io::ByteReader& r, std::size_t cch, std::uint16_t codepage,
                                 std::size_t tail) {
    const std::size_t width = codepage == kUtf16Codepage ? 2 : 1;
    if (width == 1 && r.remaining() != cch + tail && r.remaining() > tail) {
        const std::size_t start = r.position();
        const std::size_t n = byteLengthOfCharacters(r.rest(), cch, codepage);
        r.seek(start);
        // Only a double-byte character makes the two counts differ.
        if (n > cch && n + tail == r.remaining()) return byteStringToUtf8(r.bytes(n), codepage);
    }
    return readByteStringNoCch(r, cch, codepage);
}

}  // namespace xls::biff
