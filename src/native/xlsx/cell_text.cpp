#include "native/xlsx/cell_text.h"

#include <charconv>
#include <cmath>

#include "native/calendar/date_systems.h"
#include "native/input/error_literal.h"
#include "native/text/hex.h"
#include "native/text/unicode.h"

namespace xls::xlsx {

namespace {

// The UTF-16 unit of "_xHHHH_" at the start of s.
std::optional<char16_t> escapedUnit(std::string_view s) {
    if (s.size() < 7 || s[0] != '_' || (s[1] != 'x' && s[1] != 'X') || s[6] != '_')
        return std::nullopt;
    unsigned v = 0;
    for (int i = 2; i < 6; ++i) {
        int d = text::hexDigit(s[static_cast<std::size_t>(i)]);
        if (d < 0) return std::nullopt;
        v = v * 16 + static_cast<unsigned>(d);
    }
    return static_cast<char16_t>(v);
}

bool digits(std::string_view s, std::size_t at, std::size_t n, int& out) {
    if (at + n > s.size()) return false;
    out = 0;
    for (std::size_t i = at; i < at + n; ++i) {
        if (s[i] < '0' || s[i] > '9') return false;
        out = out * 10 + (s[i] - '0');
    }
    return true;
}

// "hh:mm[:ss[.fff]]" as a fraction of a day.
std::optional<double> dayFraction(std::string_view s) {
    int h, m, sec = 0;
    if (!digits(s, 0, 2, h) || s.size() < 5 || s[2] != ':' || !digits(s, 3, 2, m))
        return std::nullopt;
    double seconds = 0;
    if (s.size() >= 8 && s[5] == ':' && digits(s, 6, 2, sec)) {
        seconds = sec;
        if (s.size() > 9 && s[8] == '.') {
            double scale = 0.1;
            for (std::size_t i = 9; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
                seconds += (s[i] - '0') * scale;
                scale /= 10;
            }
        }
    }
    if (h > 24 || m > 59 || sec > 60) return std::nullopt;
    return (h * 3600 + m * 60 + seconds) / 86400.0;
}

}  // namespace

std::string unescapedText(std::string_view text) {
    if (text.find('_') == std::string_view::npos) return std::string(text);
    std::u16string units;
    std::string out;
    std::size_t i = 0;
    auto flush = [&] {
        if (!units.empty()) out += text::utf16ToUtf8(units);
        units.clear();
    };
    while (i < text.size()) {
        if (auto unit = escapedUnit(text.substr(i))) {
            units += *unit;
            i += 7;
            continue;
        }
        flush();
        out += text[i++];
    }
    flush();
    return out;
}

std::uint8_t errorCode(std::string_view text) {
    // #N/A stands in for the errors of later versions, which have no code.
    constexpr std::uint8_t kNotAvailable = 0x2A;
    auto known = input::recogniseErrorLiteral(text);
    return known ? static_cast<std::uint8_t>(known->code) : kNotAvailable;
}

std::optional<double> numberOf(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double v = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

namespace {

// An ISO 8601 date, time or both: the day, if there is one, and the
// fraction of the day.
struct IsoDateTime {
    std::optional<calendar::CivilDate> day;
    double fraction = 0;
};

std::optional<IsoDateTime> isoDateTimeOf(std::string_view text) {
    int y, mo, d;
    if (text.size() >= 10 && digits(text, 0, 4, y) && text[4] == '-' && digits(text, 5, 2, mo) &&
        text[7] == '-' && digits(text, 8, 2, d)) {
        if (mo < 1 || mo > 12 || d < 1 || d > 31) return std::nullopt;
        IsoDateTime out{calendar::CivilDate{y, mo, d}, 0};
        if (text.size() == 10) return out;
        if (text[10] != 'T') return std::nullopt;
        auto fraction = dayFraction(text.substr(11));
        if (!fraction) return std::nullopt;
        out.fraction = *fraction;
        return out;
    }
    auto fraction = dayFraction(text);
    if (!fraction) return std::nullopt;
    return IsoDateTime{std::nullopt, *fraction};
}

}  // namespace

std::optional<double> oleDateOfIso(std::string_view text) {
    auto at = isoDateTimeOf(text);
    if (!at) return std::nullopt;
    if (!at->day) return at->fraction;
    // Before the epoch the time of day still counts forward, as in every
    // OLE date the engine makes.
    return calendar::oleDate(calendar::daysFromCivil(*at->day) - calendar::kOleEpoch, at->fraction);
}

std::optional<double> cellSerialOfIso(std::string_view text, bool date1904) {
    auto at = isoDateTimeOf(text);
    if (!at) return std::nullopt;
    if (!at->day) return at->fraction;
    auto serial = calendar::dateSerial(*at->day, date1904);
    if (!serial) return std::nullopt;
    return *serial + at->fraction;
}

}  // namespace xls::xlsx
