#include "native/input/entry_text.h"

#include <cstddef>

#include "native/text/unicode.h"

namespace xls::input {

namespace {

char32_t foldCodePoint(char32_t cp) {
    if (cp >= 0xFF01 && cp <= 0xFF5E) return cp - 0xFEE0;  // full-width ASCII block
    if (cp == 0x3000) return U' ';
    if (cp == 0x00A5 || cp == 0xFFE5) return U'\\';
    if (cp == 0x2212) return U'-';  // the minus sign some IMEs produce
    return cp;
}

}  // namespace

std::string wellFormedUtf8(std::string_view text) {
    // Every value of a list passes here; nearly all are well-formed already,
    // and the round trip gives those back unchanged.
    if (text::isValidUtf8(text)) return std::string(text);
    return text::utf16ToUtf8(text::utf8ToUtf16(text));
}

std::string foldForRecognition(std::string_view text) {
    const std::u16string units = text::utf8ToUtf16(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < units.size();)
        text::appendUtf8(out, foldCodePoint(text::nextCodePoint(units, i)));
    return out;
}

std::string_view trimBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace xls::input
