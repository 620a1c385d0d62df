#pragma once

#include <string>
#include <string_view>

namespace xls::text {

// Letter case as file, sheet, defined and stream names meet it: only the
// ASCII letters have case. Every other byte of UTF-8 text, Japanese and
// full-width letters included, is kept and compared as it is, so folding
// never breaks a multi-byte sequence. Templates, so that UTF-16 and UTF-32
// units fold the same way.
template <typename Char>
constexpr Char asciiUpper(Char c) {
    return c >= 'a' && c <= 'z' ? static_cast<Char>(c - 'a' + 'A') : c;
}

template <typename Char>
constexpr Char asciiLower(Char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

std::string upperAscii(std::string_view text);
std::string lowerAscii(std::string_view text);
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

// Byte order with the ASCII letters as upper case, as a sorted list box
// orders its entries: "_" after the letters, UTF-8 after all of ASCII.
bool lessIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace xls::text
