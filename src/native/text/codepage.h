#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace xls::text {

// Byte text in a Windows code page (932 Japanese, 1252 Western, ...) to
// UTF-8. Code page 1200 is UTF-16LE and 65001 UTF-8. Bytes the code page
// cannot map become U+FFFD; an unknown code page is read as 1252.
std::string codepageToUtf8(std::span<const std::uint8_t> bytes, int codepage);

}  // namespace xls::text
