#include "native/text/codepage.h"

#include <map>
#include <mutex>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "native/text/unicode.h"

namespace xls::text {

namespace {

#ifndef _WIN32

// iconv descriptors are costly to open; keep one per code page for the life
// of the process. A descriptor carries shift state, so conversions on it are
// serialised.
struct Converter {
    iconv_t cd = reinterpret_cast<iconv_t>(-1);
    std::mutex lock;
};

class ConverterTable {
  public:
    ~ConverterTable() {
        for (auto& [codepage, conv] : table_)
            if (conv.cd != reinterpret_cast<iconv_t>(-1)) iconv_close(conv.cd);
    }

    Converter& operator[](int codepage) {
        std::lock_guard guard(lock_);
        auto [it, inserted] = table_.try_emplace(codepage);
        if (inserted) {
            it->second.cd = iconv_open("UTF-8", iconvCharsetName(codepage).c_str());
            if (it->second.cd == reinterpret_cast<iconv_t>(-1))
                it->second.cd = iconv_open("UTF-8", "CP1252");
        }
        return it->second;
    }

  private:
    std::mutex lock_;
    std::map<int, Converter> table_;
};

Converter& converterFor(int codepage) {
    static ConverterTable table;
    return table[codepage];
}
#endif

}  // namespace

bool isLeadByte(int codepage, std::uint8_t b) {
    switch (codepage) {
        case 932:
        case 10001:
            return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
        case 936:
        case 949:
        case 950:
        case 10002:
        case 10003:
        case 10008:
            return b >= 0x81 && b <= 0xFE;
        default:
            return false;
    }
}

std::string iconvCharsetName(int codepage) {
    switch (codepage) {
        case 932:
            return "CP932";
        case 936:
            return "CP936";
        case 949:
            return "CP949";
        case 950:
            return "CP950";
        case 10000:
            return "MACINTOSH";
        case 10001:
            return "SHIFT_JIS";
        case 20932:
            return "EUC-JP";
        case 28591:
            return "ISO-8859-1";
        case 51932:
            return "EUC-JP";
        default:
            if (codepage >= 1250 && codepage <= 1258) return "CP" + std::to_string(codepage);
            if (codepage >= 437 && codepage <= 874) return "CP" + std::to_string(codepage);
            return "CP1252";
    }
}

#ifdef _WIN32
int windowsCodepageFor(int codepage) {
    int cp = codepage;
    // Windows converts EUC-JP under its older number only.
    if (cp == 51932) cp = 20932;
    // The same code pages iconv is asked for elsewhere; the rest read as 1252.
    if (iconvCharsetName(cp) == "CP1252" && cp != 1252) cp = 1252;
    if (!IsValidCodePage(static_cast<UINT>(cp))) cp = 1252;
    return cp;
}

namespace {

// One character's bytes at the front of `bytes`: two for a lead byte of a
// double-byte code page followed by a trail byte, otherwise one.
std::size_t characterLength(std::span<const std::uint8_t> bytes, int codepage) {
    return bytes.size() >= 2 && isLeadByte(codepage, bytes[0]) ? 2 : 1;
}

bool appendConverted(std::u16string& out, std::span<const std::uint8_t> bytes, int codepage) {
    if (bytes.empty()) return true;
    const auto* src = reinterpret_cast<const char*>(bytes.data());
    const int srcLen = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(static_cast<UINT>(codepage), MB_ERR_INVALID_CHARS, src,
                                      srcLen, nullptr, 0);
    if (n <= 0) return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(n));
    MultiByteToWideChar(static_cast<UINT>(codepage), MB_ERR_INVALID_CHARS, src, srcLen,
                        reinterpret_cast<wchar_t*>(out.data() + at), n);
    return true;
}

// Windows would put its default character in place of a byte it cannot map
// and lose the position of the fault; converting per character marks just
// that byte with U+FFFD and carries on after it, as on other systems.
std::string windowsCodepageToUtf8(std::span<const std::uint8_t> bytes, int codepage) {
    std::u16string units;
    if (bytes.size() <= static_cast<std::size_t>(INT32_MAX) &&
        appendConverted(units, bytes, codepage))
        return utf16ToUtf8(units);
    units.clear();
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::size_t len = characterLength(bytes.subspan(at), codepage);
        if (appendConverted(units, bytes.subspan(at, len), codepage)) {
            at += len;
        } else {
            units.push_back(u'\uFFFD');
            ++at;
        }
    }
    return utf16ToUtf8(units);
}

}  // namespace
#endif

std::string codepageToUtf8(std::span<const std::uint8_t> bytes, int codepage) {
    if (codepage == 1200) return utf16leToUtf8(bytes);
    bool ascii = true;
    for (auto b : bytes) ascii = ascii && b < 0x80;
    if (ascii || codepage == 65001) {
        if (codepage == 65001) {
            // Re-encode so that malformed UTF-8 from a file never passes through.
            return utf16ToUtf8(utf8ToUtf16(
                std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())));
        }
        return std::string(bytes.begin(), bytes.end());
    }
#ifdef _WIN32
    return windowsCodepageToUtf8(bytes, windowsCodepageFor(codepage));
#else
    Converter& conv = converterFor(codepage);
    if (conv.cd == reinterpret_cast<iconv_t>(-1)) return latin1ToUtf8(bytes);

    std::lock_guard guard(conv.lock);
    iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
    std::string out;
    std::string buf(bytes.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(reinterpret_cast<const char*>(bytes.data()));
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* dst = buf.data();
        std::size_t dstLeft = buf.size();
        std::size_t r = iconv(conv.cd, &in, &inLeft, &dst, &dstLeft);
        out.append(buf.data(), buf.size() - dstLeft);
        if (r == static_cast<std::size_t>(-1)) {
            // Unmappable or truncated byte: mark it and resynchronise after it.
            appendUtf8(out, 0xFFFD);
            ++in;
            --inLeft;
            iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return out;
#endif
}

}  // namespace xls::text
