#include "console/terminal_line.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace mokuji::console {

namespace {

struct Decoded {
    char32_t code;
    std::size_t length;
};

// Malformed bytes count as one narrow character each: TerminalText has
// already made the text printable, and a cut must never split a sequence.
Decoded decodeAt(std::string_view text, std::size_t i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t length = lead < 0x80    ? 1
                               : lead >= 0xF0 ? 4
                               : lead >= 0xE0 ? 3
                               : lead >= 0xC0 ? 2
                                              : 1;
    if (length == 1 || i + length > text.size()) return {lead, 1};
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[i + k]);
        if ((next & 0xC0) != 0x80) return {lead, 1};
        code = (code << 6) | (next & 0x3F);
    }
    return {code, length};
}

int widthOf(char32_t c) {
    if (c >= 0xFF61 && c <= 0xFF9F) return 1;  // half-width katakana
    const bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0x303E) ||
                      (c >= 0x3041 && c <= 0x33FF) || (c >= 0x3400 && c <= 0x4DBF) ||
                      (c >= 0x4E00 && c <= 0x9FFF) || (c >= 0xA000 && c <= 0xA4CF) ||
                      (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                      (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                      (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
                      (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

}  // namespace

int StandardErrorColumns() {
#ifdef _WIN32
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info)) return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
#else
    if (!isatty(STDERR_FILENO)) return 0;
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_col == 0) return 80;
    return size.ws_col;
#endif
}

int DisplayColumns(std::string_view text) {
    int columns = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeAt(text, i);
        columns += widthOf(d.code);
        i += d.length;
    }
    return columns;
}

std::string FitToColumns(std::string_view text, int columns) {
    if (DisplayColumns(text) <= columns) return std::string(text);
    // Plain dots: an ellipsis character is two columns wide on terminals
    // set for East Asian text and one on others.
    const int room = columns - 3;
    std::string fitted;
    int used = 0;
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeAt(text, i);
        const int w = widthOf(d.code);
        if (used + w > room) break;
        fitted.append(text.substr(i, d.length));
        used += w;
        i += d.length;
    }
    if (columns >= 3) fitted += "...";
    return fitted;
}

}  // namespace mokuji::console
