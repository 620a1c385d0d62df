#include "native/propset/codepage_encoder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

#include "native/text/codepage.h"
#include "native/text/unicode.h"

namespace xls::propset {

namespace {

#ifdef _WIN32
std::optional<std::string> windowsEncode(const std::u16string& units, int codepage) {
    if (units.empty()) return std::string();
    const auto* src = reinterpret_cast<const wchar_t*>(units.data());
    const int srcLen = static_cast<int>(units.size());
    const UINT cp = static_cast<UINT>(text::windowsCodepageFor(codepage));
    // Without WC_NO_BEST_FIT_CHARS a character with no form would be written
    // as a look-alike, and read back as something else.
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, src, srcLen, nullptr, 0, nullptr,
                                      &usedDefault);
    if (n <= 0 || usedDefault) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(cp, WC_NO_BEST_FIT_CHARS, src, srcLen, out.data(), n, nullptr, nullptr);
    return out;
}
#else

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
#endif

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

#ifdef _WIN32
    return windowsEncode(units, codepage);
#else
    Iconv cd(text::iconvCharsetName(codepage).c_str(), "UTF-8");
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
#endif
}

}  // namespace xls::propset
