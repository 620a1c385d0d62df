#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace xls::text {

// Byte text in a Windows code page (932 Japanese, 1252 Western, ...) to
// UTF-8. Code page 1200 is UTF-16LE and 65001 UTF-8. Bytes the code page
// cannot map become U+FFFD; an unknown code page is read as 1252.
std::string codepageToUtf8(std::span<const std::uint8_t> bytes, int codepage);

// Whether b starts a two-byte character in a double-byte code page (932,
// 936, 949, 950 and their Mac twins); always false for the others.
bool isLeadByte(int codepage, std::uint8_t b);

// The name iconv knows a Windows code page by; unknown ones are read as
// 1252. Reading and writing text in a code page use the same names, so text
// written in one reads back as it was.
std::string iconvCharsetName(int codepage);

#ifdef _WIN32
// The code page Windows converts for `codepage`: the same choices as
// iconvCharsetName makes, in Windows' numbers.
int windowsCodepageFor(int codepage);
#endif

}  // namespace xls::text
