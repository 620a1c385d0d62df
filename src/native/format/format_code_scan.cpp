#include <cstddef>
#include <string>
#include <string_view>

#include "native/format/number_format.h"
#include "native/text/ascii.h"
#include "native/text/unicode.h"

namespace xls::format {

namespace {

constexpr char16_t kYen = u'\u00A5';
constexpr char16_t kFullwidthYen = u'\uFFE5';
constexpr char16_t kEuro = u'\u20AC';
constexpr char16_t kPound = u'\u00A3';

bool isCurrencySign(char16_t c) {
    // A backslash standing for itself (escaped, or alone in quotes) is the yen
    // sign on a Japanese system: code page 932 puts the yen glyph at 0x5C, and
    // Japanese files store the built-in currency formats as "\"#,##0.
    return c == u'$' || c == kYen || c == kFullwidthYen || c == kEuro || c == kPound || c == u'\\';
}

// Quoted text is a currency symbol when it is one sign, possibly with a
// country prefix ("US$", "HK$"): that is how the application stores the
// built-in currency formats. Longer labels ("金額 $ 建て") stay labels.
bool quotedTextIsCurrency(std::u16string_view text) {
    if (text == u"\\") return true;
    if (text.empty() || text.size() > 4) return false;
    for (char16_t c : text)
        if (c != u'\\' && isCurrencySign(c)) return true;
    return false;
}

// Contents of a [...] part: elapsed-time units ([h], [mm], [ss]) are time
// tokens; [$sym-lcid] carries a currency symbol when sym is not empty.
struct BracketMeaning {
    bool time = false;
    bool currency = false;
};

BracketMeaning readBracket(std::u16string_view inside) {
    BracketMeaning m;
    if (!inside.empty()) {
        char16_t first = text::asciiLower(inside[0]);
        if (first == u'h' || first == u'm' || first == u's') {
            bool same = true;
            for (char16_t c : inside) same = same && text::asciiLower(c) == first;
            m.time = same;
        }
    }
    if (!inside.empty() && inside[0] == u'$') {
        std::u16string_view symbol = inside.substr(1);
        symbol = symbol.substr(0, symbol.find(u'-'));
        m.currency = !symbol.empty();
    }
    return m;
}

bool startsWithNoCase(std::u16string_view text, std::size_t at, std::u16string_view word) {
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (text::asciiLower(text[at + i]) != text::asciiLower(word[i])) return false;
    return true;
}

// Skips one character, two units when it is a surrogate pair.
std::size_t charLength(std::u16string_view text, std::size_t at) {
    std::size_t next = at;
    text::nextCodePoint(text, next);
    return next - at;
}

}  // namespace

ValueKind classifyFormatCode(std::string_view code) {
    const std::u16string units = text::utf8ToUtf16(code);
    const std::u16string_view s = units;
    bool date = false;
    bool currency = false;

    std::size_t i = 0;
    while (i < s.size()) {
        const char16_t c = s[i];
        const char16_t lc = text::asciiLower(c);
        if (c == u';') break;  // the first section decides
        if (c == u'"') {
            std::size_t end = s.find(u'"', i + 1);
            if (end == std::u16string_view::npos) end = s.size();
            currency = currency || quotedTextIsCurrency(s.substr(i + 1, end - i - 1));
            i = end + 1;
        } else if (c == u'\\') {
            if (i + 1 < s.size()) currency = currency || isCurrencySign(s[i + 1]);
            i += 1 + (i + 1 < s.size() ? charLength(s, i + 1) : 0);
        } else if (c == u'_' || c == u'*') {
            // Padding and fill characters take room but are never shown as a
            // symbol of the value, so "_$" is not a currency.
            i += 1 + (i + 1 < s.size() ? charLength(s, i + 1) : 0);
        } else if (c == u'[') {
            const std::size_t end = s.find(u']', i + 1);
            if (end == std::u16string_view::npos) break;  // a torn code: no more tokens
            BracketMeaning m = readBracket(s.substr(i + 1, end - i - 1));
            date = date || m.time;
            currency = currency || m.currency;
            i = end + 1;
        } else if (startsWithNoCase(s, i, u"general")) {
            i += 7;
        } else if (startsWithNoCase(s, i, u"am/pm")) {
            date = true;
            i += 5;
        } else if (startsWithNoCase(s, i, u"a/p")) {
            date = true;
            i += 3;
        } else if (startsWithNoCase(s, i, u"aaa")) {
            date = true;  // day of the week in Japanese
            i += 3;
        } else if (lc == u'e' && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-')) {
            i += 2;  // exponent of scientific notation, not the era year
        } else if (lc == u'y' || lc == u'm' || lc == u'd' || lc == u'h' || lc == u's' ||
                   lc == u'g' || lc == u'e') {
            date = true;
            ++i;
        } else {
            currency = currency || (c != u'\\' && isCurrencySign(c));
            ++i;
        }
    }
    if (date) return ValueKind::Date;
    if (currency) return ValueKind::Currency;
    return ValueKind::Number;
}

}  // namespace xls::format
