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

bool chosenFileText(std::string_view buffer, std::int32_t fileOffset, std::string& out) {
    const std::u16string wide = xls::text::utf8ToUtf16(buffer);
    const bool several = fileOffset > 0 && static_cast<std::size_t>(fileOffset) <= wide.size() &&
                         wide[static_cast<std::size_t>(fileOffset) - 1] == u'\0';
    const std::size_t end = several ? wide.find(std::u16string_view(u"\0\0", 2)) : wide.find(u'\0');
    if (end == std::u16string::npos) return false;
    out = xls::text::utf16ToUtf8(std::u16string_view(wide).substr(0, end));
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

bool writeWhole(std::string& buffer, std::string_view text) {
    const std::size_t size = xls::text::utf16Length(buffer);
    const std::size_t length = xls::text::utf16Length(text);
    if (length + 1 > size) return false;
    buffer.assign(text);
    buffer.append(size - length, '\0');
    return true;
}

std::string trimBlanks(std::string_view text) {
    std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace mokuji::dialogs
