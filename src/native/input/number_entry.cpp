#include "native/input/number_entry.h"

#include <cstddef>
#include <cstdint>

#include "native/input/decimal_value.h"

namespace xls::input {

namespace {

// The Japanese built-in yen formats (ids 5 and 7), which the application applies when the
// entry carries the sign.
constexpr std::string_view kYen = "\"¥\"#,##0;\"¥\"\\-#,##0";
constexpr std::string_view kYenDecimals = "\"¥\"#,##0.00;\"¥\"\\-#,##0.00";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

struct Decorations {
    bool negative = false;
    bool parentheses = false;
    bool currency = false;
    bool percent = false;
};

struct Mantissa {
    std::string digits;
    std::int64_t pointAt = 0;
    bool hasPoint = false;
    bool fraction = false;  // digits after the point
    bool grouped = false;   // thousands separators
    bool exponentPart = false;
    std::int64_t exponent = 0;
};

// Strips "(…)", a sign, the yen sign and '%' off the number, in the orders the application
// accepts them ("-¥5", "¥-5", "(¥5)").
std::optional<std::string_view> stripDecorations(std::string_view s, Decorations& d) {
    if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
        d.parentheses = d.negative = true;
        s = s.substr(1, s.size() - 2);
    }
    bool signSeen = d.parentheses;
    for (int i = 0; i < 2 && !s.empty(); ++i) {
        if (s.front() == '\\' && !d.currency) {
            d.currency = true;
        } else if ((s.front() == '-' || s.front() == '+') && !signSeen) {
            signSeen = true;
            d.negative = s.front() == '-';
        } else {
            break;
        }
        s.remove_prefix(1);
    }
    if (!s.empty() && s.back() == '%') {
        d.percent = true;
        s.remove_suffix(1);
    }
    if (d.percent && d.currency) return std::nullopt;
    return s;
}

// Thousands groups: one to three digits, then groups of exactly three.
bool validGrouping(std::string_view integerPart) {
    std::size_t group = 0;
    bool firstGroup = true;
    for (char c : integerPart) {
        if (c == ',') {
            if (group == 0 || (firstGroup ? group > 3 : group != 3)) return false;
            firstGroup = false;
            group = 0;
        } else {
            ++group;
        }
    }
    return firstGroup || group == 3;
}

std::optional<Mantissa> readMantissa(std::string_view s) {
    Mantissa m;
    std::size_t i = 0;
    while (i < s.size() && (isDigit(s[i]) || s[i] == ',')) ++i;
    const std::string_view integerPart = s.substr(0, i);
    m.grouped = integerPart.find(',') != std::string_view::npos;
    if (m.grouped && !validGrouping(integerPart)) return std::nullopt;
    for (char c : integerPart)
        if (c != ',') m.digits += c;
    m.pointAt = static_cast<std::int64_t>(m.digits.size());
    if (i < s.size() && s[i] == '.') {
        m.hasPoint = true;
        const std::size_t start = ++i;
        while (i < s.size() && isDigit(s[i])) ++i;
        m.fraction = i > start;
        m.digits += s.substr(start, i - start);
    }
    if (m.digits.empty()) return std::nullopt;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e')) {
        m.exponentPart = true;
        ++i;
        bool negative = false;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
        const std::size_t start = i;
        while (i < s.size() && isDigit(s[i])) ++i;
        if (i == start) return std::nullopt;
        const std::int64_t e = saturatingDecimal(s.substr(start, i - start));
        m.exponent = negative ? -e : e;
    }
    if (i != s.size()) return std::nullopt;
    return m;
}

std::string formatFor(const Decorations& d, const Mantissa& m) {
    if (d.percent) return m.fraction ? "0.00%" : "0%";
    if (d.currency) return std::string(m.fraction ? kYenDecimals : kYen);
    if (m.exponentPart) return "0.00E+00";
    if (m.grouped) return m.fraction ? "#,##0.00" : "#,##0";
    return {};
}

}  // namespace

std::optional<RecognisedNumber> recogniseNumber(std::string_view entry) {
    Decorations d;
    const std::optional<std::string_view> body = stripDecorations(entry, d);
    if (!body) return std::nullopt;
    const std::optional<Mantissa> m = readMantissa(*body);
    if (!m) return std::nullopt;
    // A grouped or priced number in scientific notation is no spelling the application reads.
    if (m->exponentPart && (m->grouped || d.currency || d.percent)) return std::nullopt;
    const std::optional<double> magnitude =
        decimalValue(m->digits, m->pointAt, m->exponent - (d.percent ? 2 : 0));
    if (!magnitude) return std::nullopt;
    RecognisedNumber n;
    n.value = d.negative && *magnitude != 0 ? -*magnitude : *magnitude;
    n.numberFormat = formatFor(d, *m);
    return n;
}

}  // namespace xls::input
