#include "native/biff/hyperlink.h"

#include <algorithm>
#include <array>

#include "native/biff/hyperlink_format.h"
#include "native/io/byte_reader.h"
#include "native/text/codepage.h"
#include "native/text/unicode.h"

namespace xls::biff {

namespace {

using namespace hyperlink_format;

// UTF-16 text up to its first NUL unit (or the end).
std::string utf16UntilNul(std::span<const std::uint8_t> b) {
    std::size_t n = 0;
    while (n + 1 < b.size() && (b[n] | b[n + 1]) != 0) n += 2;
    return text::utf16leToUtf8(b.first(n));
}

// HyperlinkString: a 32-bit count of UTF-16 units, NUL included.
std::string hyperlinkString(io::ByteReader& in) {
    const std::uint32_t cch = in.u32();
    if (cch > in.remaining() / 2) throw io::ReadPastEnd("hyperlink string longer than the record");
    return utf16UntilNul(in.bytes(std::size_t{cch} * 2));
}

// FileMoniker: a path with parent-folder steps counted apart; the Unicode
// form, when present, is preferred over the code-page one.
std::string fileMoniker(io::ByteReader& in, std::uint16_t codepage) {
    const std::uint16_t upLevels = in.u16();
    const std::uint32_t ansiLength = in.u32();
    auto ansi = in.bytes(ansiLength);
    const auto nul = std::find(ansi.begin(), ansi.end(), std::uint8_t{0});
    std::string path = text::codepageToUtf8(ansi.first(nul - ansi.begin()), codepage);
    in.skip(2 + 2 + 16 + 4);  // endServer, versionNumber, reserved
    const std::uint32_t unicodeSize = in.u32();
    if (unicodeSize > 0) {
        const std::uint32_t unicodeBytes = in.u32();
        in.skip(2);  // usKeyValue
        path = text::utf16leToUtf8(in.bytes(unicodeBytes));
    }
    std::string prefix;
    for (std::uint16_t i = 0; i < upLevels && i < 256; ++i) prefix += "../";
    return prefix + path;
}

}  // namespace

std::optional<Hyperlink> readHyperlink(std::span<const std::uint8_t> data, std::uint16_t codepage) {
    try {
        io::ByteReader in(data);
        Hyperlink h;
        h.firstRow = in.u16();
        h.lastRow = in.u16();
        h.firstCol = in.u16();
        h.lastCol = in.u16();
        in.skip(16);  // hlinkClsid
        in.skip(4);   // streamVersion
        const std::uint32_t flags = in.u32();
        if (flags & kHasDisplayName) h.display = hyperlinkString(in);
        if (flags & kHasFrameName) hyperlinkString(in);
        if (flags & kHasMoniker) {
            if (flags & kMonikerSavedAsString) {
                h.target = hyperlinkString(in);
            } else {
                auto clsid = in.bytes(16);
                if (std::equal(clsid.begin(), clsid.end(), kUrlMoniker.begin())) {
                    // The URL may be followed by a GUID, version and flags.
                    const std::uint32_t length = in.u32();
                    h.target = utf16UntilNul(in.bytes(length));
                } else if (std::equal(clsid.begin(), clsid.end(), kFileMoniker.begin())) {
                    h.target = fileMoniker(in, codepage);
                } else {
                    return std::nullopt;
                }
            }
        }
        if (flags & kHasLocation) h.location = hyperlinkString(in);
        return h;
    } catch (const io::ReadPastEnd&) {
        return std::nullopt;
    }
}

}  // namespace xls::biff
