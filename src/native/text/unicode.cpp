#include "native/text/unicode.h"

#include <cstring>

namespace xls::text {

namespace {

// Writes one code point as UTF-8 at p, returning the end; invalid ones
// become U+FFFD. p must have room for four bytes.
char* putUtf8(char* p, char32_t cp) {
    if (cp > 0x10FFFF || isSurrogate(cp)) cp = 0xFFFD;
    if (cp < 0x80) {
        *p++ = static_cast<char>(cp);
    } else if (cp < 0x800) {
        *p++ = static_cast<char>(0xC0 | (cp >> 6));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        *p++ = static_cast<char>(0xE0 | (cp >> 12));
        *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        *p++ = static_cast<char>(0xF0 | (cp >> 18));
        *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        *p++ = static_cast<char>(0x80 | (cp & 0x3F));
    }
    return p;
}

// Cell texts are converted by the thousand; sizing the output once and
// writing through a pointer keeps this off the profile.
template <typename UnitAt>
std::string utf16Convert(std::size_t count, UnitAt unitAt) {
    std::string out(count * 3, '\0');  // a unit never needs more than 3 bytes
    char* p = out.data();
    for (std::size_t i = 0; i < count; ++i) {
        char32_t u = unitAt(i);
        if (u < 0x80) {
            *p++ = static_cast<char>(u);
            continue;
        }
        if (isHighSurrogate(u) && i + 1 < count) {
            char32_t lo = unitAt(i + 1);
            if (isLowSurrogate(lo)) {
                // Two units become four bytes: within the 6 reserved for them.
                p = putUtf8(p, 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00));
                ++i;
                continue;
            }
        }
        p = putUtf8(p, u);
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

}  // namespace

char32_t nextCodePoint(std::u16string_view units, std::size_t& i) {
    const char32_t u = units[i++];
    if (isHighSurrogate(u) && i < units.size() && isLowSurrogate(units[i]))
        return 0x10000 + ((u - 0xD800) << 10) + (units[i++] - 0xDC00);
    return u;
}

void appendUtf8(std::string& out, char32_t cp) {
    char buf[4];
    out.append(buf, putUtf8(buf, cp));
}

std::string utf16leToUtf8(std::span<const std::uint8_t> bytes) {
    return utf16Convert(bytes.size() / 2, [&](std::size_t i) {
        return static_cast<char32_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    });
}

std::string utf16ToUtf8(std::u16string_view units) {
    return utf16Convert(units.size(), [&](std::size_t i) { return char32_t{units[i]}; });
}

std::string latin1ToUtf8(std::span<const std::uint8_t> bytes) {
    std::string out(bytes.size() * 2, '\0');
    char* p = out.data();
    for (std::uint8_t b : bytes) {
        if (b < 0x80) {
            *p++ = static_cast<char>(b);
        } else {
            *p++ = static_cast<char>(0xC0 | (b >> 6));
            *p++ = static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

namespace {

// Decodes one code point from UTF-8 at i, advancing i; malformed input
// yields U+FFFD and consumes one byte.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    auto b0 = static_cast<unsigned char>(s[i]);
    int len = b0 < 0x80 ? 1 : (b0 >> 5) == 6 ? 2 : (b0 >> 4) == 14 ? 3 : (b0 >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + len > s.size()) {
        ++i;
        return 0xFFFD;
    }
    char32_t cp = len == 1 ? b0 : len == 2 ? (b0 & 0x1F) : len == 3 ? (b0 & 0x0F) : (b0 & 0x07);
    for (int k = 1; k < len; ++k) {
        auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    i += len;
    return cp;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
    // Never more units than bytes: written in place, not appended one by
    // one, since a saved list converts every text it holds.
    std::u16string out(utf8.size(), u'\0');
    char16_t* p = out.data();
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        if (b0 < 0x80) {
            *p++ = b0;
            ++i;
            continue;
        }
        char32_t cp = nextCodePoint(utf8, i);
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *p++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *p++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            *p++ = static_cast<char16_t>(cp);
        }
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
}

bool isValidUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const auto* end = p + s.size();
    while (p < end) {
        if (*p < 0x80) {
            // Markup is mostly ASCII: 32 bytes at a time while it lasts,
            // then eight, then one. Text in other scripts goes by character
            // below without trying these first.
            while (end - p >= 32) {
                std::uint64_t w[4];
                std::memcpy(w, p, 32);
                if ((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ull) break;
                p += 32;
            }
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                if (word & 0x8080808080808080ull) break;
                p += 8;
            }
            while (p < end && *p < 0x80) ++p;
            continue;
        }
        // The second byte's range rules out overlong forms, surrogates and
        // code points past U+10FFFF.
        unsigned char lo = 0x80, hi = 0xBF;
        std::ptrdiff_t len;
        if (*p >= 0xC2 && *p <= 0xDF) {
            len = 2;
        } else if (*p >= 0xE0 && *p <= 0xEF) {
            len = 3;
            if (*p == 0xE0) lo = 0xA0;
            if (*p == 0xED) hi = 0x9F;
        } else if (*p >= 0xF0 && *p <= 0xF4) {
            len = 4;
            if (*p == 0xF0) lo = 0x90;
            if (*p == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (end - p < len || p[1] < lo || p[1] > hi) return false;
        for (std::ptrdiff_t k = 2; k < len; ++k)
            if ((p[k] & 0xC0) != 0x80) return false;
        p += len;
    }
    return true;
}

std::size_t utf16Length(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size();) n += nextCodePoint(utf8, i) >= 0x10000 ? 2 : 1;
    return n;
}

}  // namespace xls::text
