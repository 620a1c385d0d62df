#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "native/io/byte_reader.h"

namespace xls::biff {

// The BIFF8 string forms within a single record, read as UTF-8. Bit 0 of
// the option byte chooses 16-bit characters; otherwise each byte is the low
// half of a UTF-16 unit.

// 8-bit ("compressed") characters to UTF-8; plain ASCII, by far the most
// common case, is copied as it is.
std::string compressedToUtf8(std::span<const std::uint8_t> bytes);

// cch characters after their option byte (XLUnicodeStringNoCch).
std::string readUnicodeStringNoCch(io::ByteReader& r, std::size_t cch);
// 16-bit character count, option byte, characters (XLUnicodeString).
std::string readUnicodeString(io::ByteReader& r);
// 8-bit character count, option byte, characters (ShortXLUnicodeString).
std::string readShortUnicodeString(io::ByteReader& r);

// CODEPAGE value of a file whose strings are UTF-16.
inline constexpr std::uint16_t kUtf16Codepage = 1200;

// The BIFF5/BIFF7 string forms: characters in the workbook's code page
// with no option byte. Code page 1200 stores UTF-16, cch counting units.
std::string byteStringToUtf8(std::span<const std::uint8_t> bytes, std::uint16_t codepage);
// cch characters, no count in front.
std::string readByteStringNoCch(io::ByteReader& r, std::size_t cch, std::uint16_t codepage);
// 8-bit character count, characters.
std::string readShortByteString(io::ByteReader& r, std::uint16_t codepage);
// 16-bit character count, characters.
std::string readByteString(io::ByteReader& r, std::uint16_t codepage);

// Some writers count the characters of a double-byte code page rather than
// their bytes. For a string followed by tail bytes of a known size (0 when
// it ends the record), cch is taken as bytes unless only a count of
// characters leaves exactly that many bytes after it.
std::string readByteStringBefore(io::ByteReader& r, std::size_t cch, std::uint16_t codepage,
                                 std::size_t tail);
// The bytes that cch characters take at the start of bytes, as far as they
// go; cch itself outside the double-byte code pages.
std::size_t byteLengthOfCharacters(std::span<const std::uint8_t> bytes, std::size_t cch,
                                   std::uint16_t codepage);

}  // namespace xls::biff
