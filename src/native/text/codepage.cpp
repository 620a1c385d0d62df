#include "native/text/codepage.h"

#include <iconv.h>

#include <map>
#include <mutex>
#include <string>

#include "native/text/unicode.h"

namespace xls::text {

namespace {

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
}

}  // namespace xls::text
