#include "native/input/defined_name.h"

#include <cstddef>
#include <cstdint>

#include "native/input/entry_text.h"
#include "native/text/ascii.h"
#include "native/text/unicode.h"

namespace xls::input {

namespace {

constexpr std::size_t kMaxNameLength = 255;
// The grid of the workbooks this engine writes: IV65536.
constexpr std::int64_t kMaxRows = 65536;
constexpr std::int64_t kMaxCols = 256;

bool isAsciiLetter(char32_t c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isAsciiDigit(char32_t c) {
    return c >= '0' && c <= '9';
}

bool isBlank(char32_t cp) {
    return cp == ' ' || cp == '\t' || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
           (cp >= 0x2000 && cp <= 0x200B) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F ||
           cp == 0x205F || cp == 0x3000 || cp == 0xFEFF;
}

// Code points that are no character at all: C1 controls, surrogates, noncharacters and the
// replacement for malformed UTF-8.
bool isNoCharacter(char32_t cp) {
    return (cp >= 0x80 && cp <= 0x9F) || text::isSurrogate(cp) || (cp >= 0xFDD0 && cp <= 0xFDEF) ||
           (cp & 0xFFFE) == 0xFFFE || cp == 0xFFFD;
}

// Digits of other scripts may follow a name's first character but not start it.
bool isOtherDigit(char32_t cp) {
    return (cp >= 0xFF10 && cp <= 0xFF19) || (cp >= 0x0660 && cp <= 0x0669) ||
           (cp >= 0x06F0 && cp <= 0x06F9) || (cp >= 0x0966 && cp <= 0x096F);
}

std::u32string codePoints(std::string_view utf8) {
    const std::u16string units = text::utf8ToUtf16(utf8);
    std::u32string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size();) out += text::nextCodePoint(units, i);
    return out;
}

std::string describe(char32_t cp) {
    std::string s = "'";
    text::appendUtf8(s, cp);
    s += '\'';
    return s;
}

// Empty when the character may stand at that place, else the reason it may not.
std::string characterProblem(char32_t cp, bool first) {
    if (isBlank(cp)) return "a name cannot contain blanks";
    if (isNoCharacter(cp)) return "a name cannot contain control characters or malformed text";
    const bool startChar = isAsciiLetter(cp) || cp == '_' || cp == '\\' ||
                           (cp > 0x7F && !isOtherDigit(cp) && cp != 0x061F);
    if (startChar) return {};
    const bool laterChar =
        isAsciiDigit(cp) || isOtherDigit(cp) || cp == '.' || cp == '?' || cp == 0x061F;
    if (laterChar) {
        if (!first) return {};
        return "a name must begin with a letter, '_' or '\\', not " + describe(cp);
    }
    return describe(cp) + " is not allowed in a name";
}

// Decimal value of an ASCII digit run, stopping early once it passes limit.
std::int64_t cappedNumber(std::u32string_view digits, std::int64_t limit) {
    std::int64_t n = 0;
    for (char32_t c : digits) {
        n = n * 10 + static_cast<std::int64_t>(c - '0');
        if (n > limit) return limit + 1;
    }
    return n;
}

bool looksLikeA1Cell(std::u32string_view name) {
    std::size_t letters = 0;
    while (letters < name.size() && isAsciiLetter(name[letters])) ++letters;
    if (letters == 0 || letters > 3 || letters == name.size()) return false;
    std::int64_t col = 0;
    for (std::size_t i = 0; i < letters; ++i)
        col = col * 26 + (text::asciiLower(name[i]) - 'a' + 1);
    const std::u32string_view digits = name.substr(letters);
    for (char32_t c : digits)
        if (!isAsciiDigit(c)) return false;
    const std::int64_t row = cappedNumber(digits, kMaxRows);
    return col <= kMaxCols && row >= 1 && row <= kMaxRows;
}

bool isR(char32_t c) {
    return c == 'R' || c == 'r';
}
bool isC(char32_t c) {
    return c == 'C' || c == 'c';
}

std::size_t skipAsciiDigits(std::u32string_view s, std::size_t at) {
    while (at < s.size() && isAsciiDigit(s[at])) ++at;
    return at;
}

// The whole name is a row, a column or a cell in R1C1 style, numbers optional.
bool isR1C1Reference(std::u32string_view name) {
    for (int order = 0; order < 2; ++order) {
        const auto firstLetter = order == 0 ? isR : isC;
        const auto secondLetter = order == 0 ? isC : isR;
        std::size_t i = 0;
        if (i < name.size() && firstLetter(name[i])) i = skipAsciiDigits(name, i + 1);
        if (i > 0 && i < name.size() && secondLetter(name[i])) i = skipAsciiDigits(name, i + 1);
        if (i > 0 && i == name.size()) return true;
    }
    return false;
}

bool startsWithR1C1Number(std::u32string_view name) {
    return name.size() >= 2 && (isR(name[0]) || isC(name[0])) &&
           (isAsciiDigit(name[1]) || isOtherDigit(name[1]));
}

NameCheck refuse(std::string reason) {
    return NameCheck{false, std::move(reason)};
}

}  // namespace

NameCheck checkDefinedName(std::string_view name) {
    if (name.empty()) return refuse("a name cannot be empty");
    if (text::utf16Length(name) > kMaxNameLength)
        return refuse("a name cannot be longer than 255 characters");
    const std::u32string cps = codePoints(name);
    for (std::size_t i = 0; i < cps.size(); ++i) {
        std::string problem = characterProblem(cps[i], i == 0);
        if (!problem.empty()) return refuse(std::move(problem));
    }
    if (text::equalsIgnoringAsciiCase(name, "TRUE") || text::equalsIgnoringAsciiCase(name, "FALSE"))
        return refuse("TRUE and FALSE are constants, not names");
    if (looksLikeA1Cell(cps)) return refuse("a name cannot be a cell reference");
    if (isR1C1Reference(cps) || startsWithR1C1Number(cps))
        return refuse("a name cannot be or begin with an R1C1 reference");
    return NameCheck{true, {}};
}

}  // namespace xls::input
