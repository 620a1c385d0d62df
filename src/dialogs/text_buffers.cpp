#include "dialogs/text_buffers.h"

#include "native/text/unicode.h"

namespace mokuji::dialogs {

std::string cutToUnits(std::string_view text, std::size_t units) {
    if (xls::text::utf16Length(text) <= units) return std::string(text);
    std::u16string wide = xls::text::utf8ToUtf16(text);
    wide.resize(units);
    return xls::text::utf16ToUtf8(wide);
}

std::string nulPaddedBuffer(std::string_view text, std::size_t size) {
    std::string out = cutToUnits(text, size - 1);
    out.append(size - xls::text::utf16Length(out), '\0');
    return out;
}

bool cutAtDoubleNul(std::string_view buffer, std::string& out) {
    std::size_t at = buffer.find(std::string_view("\0\0", 2));
    if (at == std::string_view::npos) return false;
    out.assign(buffer.substr(0, at));
    return true;
}

bool writeOverStart(std::string& buffer, std::string_view text) {
    std::u16string wide = xls::text::utf8ToUtf16(buffer);
    std::u16string written = xls::text::utf8ToUtf16(text) + u'\0';
    if (written.size() > wide.size()) return false;
    wide.replace(0, written.size(), written);
    buffer = xls::text::utf16ToUtf8(wide);
    return true;
}

std::string trimBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace mokuji::dialogs
