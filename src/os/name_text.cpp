#include "os/name_text.h"

#include <cstdint>
#include <filesystem>
#include <optional>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "native/text/hex.h"
#include "native/text/unicode.h"

namespace mokuji::os {

namespace {

// The length of the UTF-8 sequence at text[at] and its code point, or
// nothing when no well-formed sequence starts there.
std::optional<std::pair<std::size_t, char32_t>> utf8At(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char b = byte(at);
    if (b < 0x80) return std::pair{std::size_t{1}, static_cast<char32_t>(b)};
    std::size_t length = 0;
    char32_t c = 0, least = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2, c = b & 0x1F, least = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3, c = b & 0x0F, least = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4, c = b & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    if (at + length > text.size()) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (byte(at + i) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || xls::text::isSurrogate(c)) return std::nullopt;
    return std::pair{length, c};
}

bool isUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        auto sequence = utf8At(text, at);
        if (!sequence) return false;
        at += sequence->first;
    }
    return true;
}

std::string escapedByte(unsigned char b) {
    return "\\x" + xls::text::hexDigits(b, 2);
}

// Shift_JIS (code page 932) bytes as UTF-8, or nothing when they are not
// that.
std::optional<std::string> fromCp932(std::string_view bytes) {
    if (bytes.empty()) return std::string();
#ifdef _WIN32
    const int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(),
                                      static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return std::nullopt;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()),
                        wide.data(), n);
    const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(m), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, out.data(), m, nullptr, nullptr);
    return out;
#else
    iconv_t cd = iconv_open("UTF-8", "CP932");
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string in(bytes);
    std::string out(bytes.size() * 3 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size(), outLeft = out.size();
    const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (done == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
    out.resize(out.size() - outLeft);
    return out;
#endif
}

// The Shift_JIS character at text[at] (one or two bytes) that is not UTF-8
// there, as UTF-8 with its length in bytes.
std::optional<std::pair<std::size_t, std::string>> cp932At(std::string_view text, std::size_t at) {
    const auto b = static_cast<unsigned char>(text[at]);
    if (b >= 0xA1 && b <= 0xDF) {
        if (auto one = fromCp932(text.substr(at, 1))) return std::pair{std::size_t{1}, *one};
        return std::nullopt;
    }
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    if (!lead || at + 1 >= text.size()) return std::nullopt;
    const auto t = static_cast<unsigned char>(text[at + 1]);
    if (t < 0x40 || t == 0x7F || t > 0xFC) return std::nullopt;
    if (auto two = fromCp932(text.substr(at, 2))) return std::pair{std::size_t{2}, *two};
    return std::nullopt;
}

bool isControl(char32_t c) {
    return (c < 0x20 && c != '\n' && c != '\t') || (c >= 0x7F && c <= 0x9F) || c == 0x061C ||
           c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::string ShownName(std::string_view name) {
    if (isUtf8(name)) return std::string(name);
    if (auto decoded = fromCp932(name)) return *decoded;
    std::string shown;
    for (std::size_t at = 0; at < name.size();) {
        if (auto sequence = utf8At(name, at)) {
            shown.append(name.substr(at, sequence->first));
            at += sequence->first;
        } else {
            shown += escapedByte(static_cast<unsigned char>(name[at++]));
        }
    }
    return shown;
}

std::string TerminalText(std::string_view text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        if (auto sequence = utf8At(text, at)) {
            const char32_t c = sequence->second;
            if (!isControl(c)) {
                shown.append(text.substr(at, sequence->first));
            } else if (c < 0x80) {
                shown += escapedByte(static_cast<unsigned char>(c));
            } else {
                shown += "\\u" + xls::text::hexDigits(c, 4);
            }
            at += sequence->first;
        } else if (auto sjis = cp932At(text, at)) {
            shown += TerminalText(sjis->second);
            at += sjis->first;
        } else {
            shown += escapedByte(static_cast<unsigned char>(text[at++]));
        }
    }
    return shown;
}

std::string LineBreaksEscaped(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    for (const char ch : name) {
        if (ch == '\n' || ch == '\r') {
            out += escapedByte(static_cast<unsigned char>(ch));
        } else {
            out += ch;
        }
    }
    return out;
}

std::string TerminalLineText(std::string_view text) {
    return TerminalText(LineBreaksEscaped(text));
}

}  // namespace mokuji::os
