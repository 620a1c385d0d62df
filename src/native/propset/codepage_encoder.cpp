#include "native/propset/codepage_encoder.h"

#include <iconv.h>

#include "native/text/unicode.h"

namespace xls::propset {

namespace {

// The same names the reading side gives iconv, so that text written in a
// code page reads back as it was.
std::string iconvName(int codepage) {
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
        case 51932:
            return "EUC-JP";
        case 28591:
            return "ISO-8859-1";
        default:
            if (codepage >= 1250 && codepage <= 1258) return "CP" + std::to_string(codepage);
            if (codepage >= 437 && codepage <= 874) return "CP" + std::to_string(codepage);
            return "CP1252";
    }
}

class Iconv {
  public:
    Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Iconv() {
        if (ok()) iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

}  // namespace

std::optional<std::string> utf8ToCodepage(std::string_view utf8, int codepage) {
    const std::u16string units = text::utf8ToUtf16(utf8);
    if (codepage == 1200) {
        std::string out;
        out.reserve(units.size() * 2);
        for (char16_t u : units) {
            out.push_back(static_cast<char>(u & 0xFF));
            out.push_back(static_cast<char>(u >> 8));
        }
        return out;
    }
    // Only well-formed text has a form anywhere else.
    std::string clean = text::utf16ToUtf8(units);
    if (clean != utf8) return std::nullopt;
    bool ascii = true;
    for (unsigned char c : utf8) ascii = ascii && c < 0x80;
    if (ascii || codepage == 65001) return clean;

    Iconv cd(iconvName(codepage).c_str(), "UTF-8");
    if (!cd.ok()) return std::nullopt;
    std::string out(utf8.size() * 2 + 8, '\0');
    char* in = clean.data();
    std::size_t inLeft = clean.size();
    char* dst = out.data();
    std::size_t dstLeft = out.size();
    // No character takes more bytes in these code pages than in UTF-8, so
    // one pass with this much room suffices.
    if (iconv(cd.get(), &in, &inLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    if (iconv(cd.get(), nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace xls::propset
