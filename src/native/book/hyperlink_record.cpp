#include "native/book/hyperlink_record.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "native/biff/hyperlink_format.h"
#include "native/biff/record_ids.h"
#include "native/book/layout.h"
#include "native/book/record_writer.h"
#include "native/text/unicode.h"

namespace xls::book {

namespace {

using namespace biff::hyperlink_format;

// HyperlinkString: count of UTF-16 units with the NUL, the units, NUL.
void putHyperlinkString(ByteWriter& w, const std::string& utf8) {
    const std::u16string units = text::utf8ToUtf16(utf8);
    w.u32(static_cast<std::uint32_t>(units.size() + 1));
    for (char16_t c : units) w.u16(c);
    w.u16(0);
}

bool isAbsolutePath(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return true;  // C:\...
    return path.starts_with("\\\\") || path.starts_with("/");
}

void putUrlMoniker(ByteWriter& w, const std::string& url) {
    w.bytes(kUrlMoniker);
    const std::u16string units = text::utf8ToUtf16(url);
    // The URL alone, NUL included: no serial GUID, version or flags follow.
    w.u32(static_cast<std::uint32_t>((units.size() + 1) * 2));
    for (char16_t c : units) w.u16(c);
    w.u16(0);
}

void putFileMoniker(ByteWriter& w, std::uint16_t upLevels, const std::string& path) {
    w.bytes(kFileMoniker);
    const std::u16string units = text::utf8ToUtf16(path);
    w.u16(upLevels);
    // The 8-bit path, with '?' for what is not ASCII.
    w.u32(static_cast<std::uint32_t>(units.size() + 1));
    for (char16_t c : units) w.u8(c < 0x80 ? static_cast<std::uint8_t>(c) : '?');
    w.u8(0);
    w.u16(0xFFFF);  // endServer
    w.u16(0xDEAD);  // versionNumber
    w.zeros(16 + 4);
    // The Unicode form always follows: readers take the 8-bit one in the
    // code page of the workbook, which for code page 1200 would garble it.
    w.u32(static_cast<std::uint32_t>(4 + 2 + units.size() * 2));
    w.u32(static_cast<std::uint32_t>(units.size() * 2));
    w.u16(3);  // usKeyValue
    for (char16_t c : units) w.u16(c);
}

}  // namespace

LinkKind linkKindOf(const std::string& target) {
    // A scheme is a letter, then letters, digits, '+', '-' or '.', then ':';
    // one letter alone is a drive.
    const auto isSchemeChar = [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
    };
    const std::size_t colon = target.find(':');
    if (colon != std::string::npos && colon >= 2 &&
        std::isalpha(static_cast<unsigned char>(target[0])) &&
        std::all_of(target.begin(), target.begin() + colon, isSchemeChar))
        return LinkKind::Url;
    return isAbsolutePath(target) ? LinkKind::AbsoluteFile : LinkKind::RelativeFile;
}

void writeHyperlinkRecord(std::vector<std::uint8_t>& out, const Hyperlink& link) {
    const std::size_t start = beginRecord(out, biff::rec::HLink);
    ByteWriter w(out);
    w.u16(static_cast<std::uint16_t>(link.area.firstRow));
    w.u16(static_cast<std::uint16_t>(link.area.lastRow));
    w.u16(static_cast<std::uint16_t>(link.area.firstCol));
    w.u16(static_cast<std::uint16_t>(link.area.lastCol));
    w.bytes(kStdLink);
    w.u32(2);  // streamVersion
    const bool url = link.kind == LinkKind::Url || link.kind == LinkKind::RelativeUrl;
    std::uint32_t flags = 0;
    const bool hasMoniker = !link.target.empty() || link.upLevels > 0;
    if (hasMoniker) {
        flags |= kHasMoniker;
        if (link.kind == LinkKind::Url || link.kind == LinkKind::AbsoluteFile) flags |= kIsAbsolute;
    }
    if (!link.display.empty()) flags |= kHasDisplayName | kSiteGaveDisplayName;
    if (!link.location.empty()) flags |= kHasLocation;
    w.u32(flags);
    if (!link.display.empty()) putHyperlinkString(w, link.display);
    if (hasMoniker) {
        if (url)
            putUrlMoniker(w, link.target);
        else
            putFileMoniker(w, link.upLevels, link.target);
    }
    if (!link.location.empty()) putHyperlinkString(w, link.location);
    endRecord(out, start);
}

}  // namespace xls::book
