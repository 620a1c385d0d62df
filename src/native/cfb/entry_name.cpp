#include "native/cfb/entry_name.h"

#include "native/cfb/cfb_error.h"
#include "native/text/unicode.h"

namespace xls::cfb {

namespace {

bool forbidden(char16_t c) {
    return c == 0 || c == u'/' || c == u'\\' || c == u':' || c == u'!';
}

std::string quoted(std::string_view s) {
    return "'" + std::string(s) + "'";
}

}  // namespace

std::u16string checkedEntryName(std::string_view utf8, std::string_view what) {
    if (utf8.empty()) throw CfbError(std::string(what) + ": empty entry name");
    std::u16string name = text::utf8ToUtf16(utf8);
    // The conversion replaces malformed bytes; converting back shows whether
    // anything was lost.
    if (text::utf16ToUtf8(name) != utf8)
        throw CfbError(std::string(what) + ": entry name " + quoted(utf8) +
                       " is not well-formed UTF-8");
    if (name.size() > kMaxEntryNameLength)
        throw CfbError(std::string(what) + ": entry name " + quoted(utf8) + " has " +
                       std::to_string(name.size()) + " UTF-16 units, at most " +
                       std::to_string(kMaxEntryNameLength) + " fit");
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (forbidden(name[i]))
            throw CfbError(std::string(what) + ": entry name " + quoted(utf8) +
                           " contains the character " + std::to_string(name[i]) +
                           ", which names may not hold");
        // A lone surrogate cannot come out of valid UTF-8, but the check is
        // cheap and keeps the stored name well-formed whatever the converter does.
        if (text::isHighSurrogate(name[i]) &&
            (i + 1 == name.size() || !text::isLowSurrogate(name[i + 1])))
            throw CfbError(std::string(what) + ": entry name " + quoted(utf8) +
                           " has an unpaired surrogate");
        if (text::isHighSurrogate(name[i]))
            ++i;
        else if (text::isLowSurrogate(name[i]))
            throw CfbError(std::string(what) + ": entry name " + quoted(utf8) +
                           " has an unpaired surrogate");
    }
    return name;
}

char16_t upperForNameOrder(char16_t c) {
    auto minus = [c](int d) { return static_cast<char16_t>(c - d); };
    if (c >= u'a' && c <= u'z') return minus(32);
    if (c < 0x80) return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return minus(32);
    if (c == 0xFF) return 0x178;
    // Latin Extended-A pairs capitals and small letters as even/odd, with
    // the block's middle shifted by one.
    if (c >= 0x100 && c <= 0x137) return (c & 1) ? minus(1) : c;
    if (c >= 0x139 && c <= 0x148) return (c & 1) ? c : minus(1);
    if (c >= 0x14A && c <= 0x177) return (c & 1) ? minus(1) : c;
    if (c >= 0x179 && c <= 0x17E) return (c & 1) ? c : minus(1);
    if (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) return minus(32);
    if (c == 0x3C2) return 0x3A3;  // final sigma
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return minus(37);
    if (c >= 0x430 && c <= 0x44F) return minus(32);
    if (c >= 0x450 && c <= 0x45F) return minus(80);
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x4FF))
        return (c & 1) ? minus(1) : c;
    if (c >= 0x561 && c <= 0x586) return minus(48);
    if (c >= 0xFF41 && c <= 0xFF5A) return minus(32);
    return c;
}

int compareEntryNames(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = upperForNameOrder(a[i]);
        char16_t y = upperForNameOrder(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

}  // namespace xls::cfb
