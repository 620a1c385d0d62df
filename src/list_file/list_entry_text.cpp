#include "list_file/list_entry_text.h"

#include <cctype>
#include <cmath>

#include "native/text/unicode.h"

namespace mokuji::list_file {

namespace {

bool isDigit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

std::size_t skipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && isDigit(s[i])) ++i;
    return i;
}

// Digits with an optional decimal part and exponent. Deliberately narrow:
// a number written some other way ("-5%", "-1,000") is kept as text, which
// still shows what the source held, while anything wrongly let through here
// would be entered as a formula.
bool isPlainNumber(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t intEnd = skipDigits(s, i);
    bool digits = intEnd > i;
    i = intEnd;
    if (i < s.size() && s[i] == '.') {
        std::size_t fracEnd = skipDigits(s, i + 1);
        digits = digits || fracEnd > i + 1;
        i = fracEnd;
    }
    if (!digits) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        std::size_t expEnd = skipDigits(s, i);
        if (expEnd == i) return false;
        i = expEnd;
    }
    return i == s.size();
}

}  // namespace

bool WouldEnterAsFormula(std::string_view text) {
    if (text.empty()) return false;
    switch (text.front()) {
        case '=':
            return true;
        case '+':
        case '-':
        case '@':
            return !isPlainNumber(text);
        default:
            return false;
    }
}

automation::Variant TextEntry(std::string_view text) {
    if (WouldEnterAsFormula(text) || text.starts_with('\''))
        return automation::Variant("'" + std::string(text));
    return automation::Variant(std::string(text));
}

namespace {

// The longest start of the text that fits a cell, never ending half way
// through a character that takes two units.
std::string cutToCell(const std::string& text) {
    std::u16string units = xls::text::utf8ToUtf16(text);
    std::size_t keep = kMaxCellText;
    if (xls::text::isHighSurrogate(units[keep - 1])) --keep;
    units.resize(keep);
    return xls::text::utf16ToUtf8(units);
}

DataEntry textEntry(const std::string& text) {
    if (text.empty()) return {};
    // Only a text that may be too long is measured in UTF-16 units.
    if (text.size() > kMaxCellText && xls::text::utf16Length(text) > kMaxCellText)
        return {automation::Variant("'" + cutToCell(text)), DataEntry::Change::Cut};
    return {automation::Variant("'" + text)};
}

DataEntry numberEntry(double number, const automation::Variant& value) {
    if (std::isfinite(number)) return {value};
    return {automation::Variant("'#NUM!"), DataEntry::Change::AsText};
}

}  // namespace

DataEntry EntryForValue(const automation::Variant& value) {
    using Type = automation::Variant::Type;
    switch (value.type()) {
        case Type::String:
            return textEntry(*value.get<std::string>());
        case Type::Double:
            return numberEntry(*value.get<double>(), value);
        case Type::Date:
            return numberEntry(value.get<automation::Date>()->serial, value);
        case Type::Array:
            return {};
        default:
            return {value};
    }
}

}  // namespace mokuji::list_file
