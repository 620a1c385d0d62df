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

}  // namespace xls::biff
