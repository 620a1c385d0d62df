#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace xls::text {

constexpr bool isHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
constexpr bool isLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}
constexpr bool isSurrogate(char32_t cp) {
    return cp >= 0xD800 && cp <= 0xDFFF;
}

// The code point that starts at units[i], moving i past it: a surrogate pair
// is one code point of two units; an unpaired surrogate comes back as the
// unit it is, for the caller to refuse or replace. i must be before the end.
char32_t nextCodePoint(std::u16string_view units, std::size_t& i);

// Appends the UTF-8 form of one code point; invalid ones become U+FFFD.
void appendUtf8(std::string& out, char32_t cp);

// UTF-16LE bytes to UTF-8. An unpaired surrogate becomes U+FFFD, so text
// from a damaged file never yields invalid UTF-8.
std::string utf16leToUtf8(std::span<const std::uint8_t> bytes);
std::string utf16ToUtf8(std::u16string_view units);

// BIFF8 "compressed" strings: each byte is the low half of a UTF-16 unit.
std::string latin1ToUtf8(std::span<const std::uint8_t> bytes);

std::u16string utf8ToUtf16(std::string_view utf8);

// Whether the bytes are well-formed UTF-8: no stray or missing continuation
// bytes, overlong forms, surrogates or code points past U+10FFFF.
bool isValidUtf8(std::string_view s);

// Number of UTF-16 code units the text takes: the unit the file format and
// the automation interface count characters in.
std::size_t utf16Length(std::string_view utf8);

}  // namespace xls::text
