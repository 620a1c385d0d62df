#include "native/formula/sheet_name.h"

#include <cstddef>

#include "native/text/unicode.h"

namespace xls::formula {

namespace {

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isNonAsciiSeparator(char32_t cp) {
    return (cp >= 0x0080 && cp <= 0x00BF) ||  // Latin-1 blanks, signs and marks
           cp == 0x00D7 || cp == 0x00F7 ||    // × ÷
           (cp >= 0x2000 && cp <= 0x206F) ||  // general punctuation and spaces
           (cp >= 0x3000 && cp <= 0x303F) ||  // ideographic space, 、。「」 and kin
           (cp >= 0xFF01 && cp <= 0xFF0F) ||  // full-width ！ to ／
           (cp >= 0xFF1A && cp <= 0xFF20) ||  // full-width ： to ＠
           (cp >= 0xFF3B && cp <= 0xFF40) ||  // full-width ［ to ｀
           (cp >= 0xFF5B && cp <= 0xFF65) ||  // full-width ｛ to half-width ･
           cp == 0xFEFF || cp == 0xFFFD;
}

bool hasOnlyNameCharacters(std::string_view name) {
    const std::u16string units = text::utf8ToUtf16(name);
    for (std::size_t i = 0; i < units.size();) {
        const char32_t cp = text::nextCodePoint(units, i);
        if (cp < 0x80) {
            const char c = static_cast<char>(cp);
            if (!isAsciiLetter(c) && !isAsciiDigit(c) && c != '_' && c != '.') return false;
        } else if (isNonAsciiSeparator(cp)) {
            return false;
        }
    }
    return true;
}

// Letters then digits, the shape of an A1 cell in any grid the application
// has had (up to XFD1048576); counted generously, as quotes never hurt.
bool looksLikeA1Cell(std::string_view name) {
    std::size_t letters = 0;
    while (letters < name.size() && isAsciiLetter(name[letters])) ++letters;
    if (letters == 0 || letters > 3 || letters == name.size()) return false;
    for (std::size_t i = letters; i < name.size(); ++i)
        if (!isAsciiDigit(name[i])) return false;
    return true;
}

std::size_t skipDigits(std::string_view s, std::size_t at) {
    while (at < s.size() && isAsciiDigit(s[at])) ++at;
    return at;
}

// "R", "C", "RC", "R2", "C3", "R2C3": an R1C1 reference to a row, column
// or cell.
bool looksLikeR1C1(std::string_view name) {
    std::size_t i = 0;
    bool any = false;
    if (i < name.size() && (name[i] == 'R' || name[i] == 'r')) {
        i = skipDigits(name, i + 1);
        any = true;
    }
    if (i < name.size() && (name[i] == 'C' || name[i] == 'c')) {
        i = skipDigits(name, i + 1);
        any = true;
    }
    return any && i == name.size();
}

}  // namespace

bool sheetNameNeedsQuotes(std::string_view name) {
    if (name.empty() || isAsciiDigit(name.front())) return true;
    if (!hasOnlyNameCharacters(name)) return true;
    return looksLikeA1Cell(name) || looksLikeR1C1(name);
}

std::string quotedSheetName(std::string_view name) {
    if (!sheetNameNeedsQuotes(name)) return std::string(name);
    std::string quoted = "'";
    for (char c : name) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    quoted += '\'';
    return quoted;
}

std::string unquotedSheetName(std::string_view prefix) {
    std::string name(prefix);
    if (name.size() >= 2 && name.front() == '\'' && name.back() == '\'') {
        name = name.substr(1, name.size() - 2);
        for (std::size_t p = 0; (p = name.find("''", p)) != std::string::npos; ++p)
            name.erase(p, 1);
    }
    return name;
}

std::optional<SheetPrefixSplit> splitSheetPrefix(std::string_view text) {
    SheetPrefixSplit split;
    if (!text.empty() && text.front() == '\'') {
        std::string name;
        std::size_t i = 1;
        for (;; ++i) {
            if (i >= text.size()) return std::nullopt;
            if (text[i] != '\'') {
                name += text[i];
            } else if (i + 1 < text.size() && text[i + 1] == '\'') {
                name += '\'';
                ++i;
            } else {
                break;
            }
        }
        if (i + 1 >= text.size() || text[i + 1] != '!' || name.empty()) return std::nullopt;
        if (name.find_first_of(":\\/?*[]") != std::string::npos) return std::nullopt;
        split.sheet = std::move(name);
        split.rest = text.substr(i + 2);
        return split;
    }
    const std::size_t bang = text.find('!');
    if (bang == std::string_view::npos) {
        split.rest = text;
        return split;
    }
    const std::string_view name = text.substr(0, bang);
    if (sheetNameNeedsQuotes(name)) return std::nullopt;
    split.sheet = std::string(name);
    split.rest = text.substr(bang + 1);
    return split;
}

}  // namespace xls::formula
