#include "native/input/date_entry.h"

#include <array>
#include <cstddef>
#include <string>

#include "native/calendar/date_systems.h"
#include "native/input/entry_cursor.h"
#include "native/input/time_entry.h"
#include "native/text/ascii.h"

namespace xls::input {

namespace {

using calendar::CivilDate;
using calendar::dateSerial;

enum class DateShape { YearMonthDay, MonthDay, YearMonth, KanjiYearMonthDay, Era, KanjiEra };

struct DatePart {
    CivilDate date;
    DateShape shape;
};

struct Era {
    char letter;
    std::string_view kanji;
    int yearBefore;  // the Gregorian year before the era's first
};

// The eras the application reads, with the letters of the "ge.m.d" format.
constexpr std::array<Era, 5> kEras = {{{'M', "明治", 1867},
                                       {'T', "大正", 1911},
                                       {'S', "昭和", 1925},
                                       {'H', "平成", 1988},
                                       {'R', "令和", 2018}}};

constexpr std::string_view kYear = "年", kMonth = "月", kDay = "日";

// Years may be typed with 1, 2 or 4 digits; three digits are no year the application reads.
// One or two digits: 0-29 are 2000-2029 and 30-99 are 1930-1999, the application's default
// window.
std::optional<int> yearOf(const Number& n) {
    if (n.length == 3) return std::nullopt;
    if (n.length > 2) return n.value;
    return n.value < 30 ? 2000 + n.value : 1900 + n.value;
}

std::optional<DatePart> kanjiDate(Cursor& c, const Number& first, int currentYear) {
    if (c.literal(kMonth)) {  // 3月14日
        const std::optional<Number> day = c.number(2);
        if (first.length > 2 || !day || !c.literal(kDay)) return std::nullopt;
        return DatePart{{currentYear, first.value, day->value}, DateShape::MonthDay};
    }
    if (!c.literal(kYear)) return std::nullopt;
    const std::optional<int> year = yearOf(first);
    const std::optional<Number> month = c.number(2);
    if (!year || !month || !c.literal(kMonth)) return std::nullopt;
    const std::size_t mark = c.position();
    if (const std::optional<Number> day = c.number(2); day && c.literal(kDay))
        return DatePart{{*year, month->value, day->value}, DateShape::KanjiYearMonthDay};
    c.rewind(mark);
    return DatePart{{*year, month->value, 1}, DateShape::YearMonth};
}

// "2005/3/14", "05-3-14", "3/14", "2005/3": the Japanese order is year, month, day; two
// numbers are a month and day when they can be, else a year and month.
std::optional<DatePart> numericDate(Cursor& c, const Number& first, int currentYear) {
    const char separator = c.peek();
    if (separator != '/' && separator != '-') return std::nullopt;
    c.skip();
    const std::optional<Number> second = c.number(2);
    if (!second) return std::nullopt;
    if (c.peek() == separator) {
        c.skip();
        const std::optional<Number> third = c.number(2);
        const std::optional<int> year = yearOf(first);
        if (!third || !year) return std::nullopt;
        return DatePart{{*year, second->value, third->value}, DateShape::YearMonthDay};
    }
    const CivilDate monthDay{currentYear, first.value, second->value};
    if (first.length <= 2 && dateSerial(monthDay, false))
        return DatePart{monthDay, DateShape::MonthDay};
    const std::optional<int> year = yearOf(first);
    if (!year) return std::nullopt;
    return DatePart{{*year, second->value, 1}, DateShape::YearMonth};
}

// "H17.3.14", "h17/3/14" and "平成17年3月14日".
std::optional<DatePart> eraDate(Cursor& c) {
    for (const Era& era : kEras) {
        const std::size_t mark = c.position();
        const char lower = text::asciiLower(era.letter);
        if (c.peek() == era.letter || c.peek() == lower) {
            c.skip();
            const std::optional<Number> year = c.number(2);
            const char separator = c.peek();
            if (!year || (separator != '/' && separator != '.' && separator != '-'))
                return std::nullopt;
            c.skip();
            const std::optional<Number> month = c.number(2);
            if (!month || c.peek() != separator) return std::nullopt;
            c.skip();
            const std::optional<Number> day = c.number(2);
            if (!day || year->value == 0) return std::nullopt;
            return DatePart{{era.yearBefore + year->value, month->value, day->value},
                            DateShape::Era};
        }
        if (c.literal(era.kanji)) {
            const std::optional<Number> year = c.number(2);
            if (!year || year->value == 0 || !c.literal(kYear)) return std::nullopt;
            const std::optional<Number> month = c.number(2);
            if (!month || !c.literal(kMonth)) return std::nullopt;
            const std::optional<Number> day = c.number(2);
            if (!day || !c.literal(kDay)) return std::nullopt;
            return DatePart{{era.yearBefore + year->value, month->value, day->value},
                            DateShape::KanjiEra};
        }
        c.rewind(mark);
    }
    return std::nullopt;
}

std::optional<DatePart> datePart(Cursor& c, int currentYear) {
    const std::size_t mark = c.position();
    if (const std::optional<Number> first = c.number(4)) {
        const char next = c.peek();
        if (next == '/' || next == '-') return numericDate(c, *first, currentYear);
        return kanjiDate(c, *first, currentYear);
    }
    c.rewind(mark);
    return eraDate(c);
}

std::string dateFormat(DateShape shape) {
    switch (shape) {
        case DateShape::YearMonthDay:
            return "yyyy/m/d";
        case DateShape::MonthDay:
            return "m\"月\"d\"日\"";
        case DateShape::YearMonth:
            return "yyyy\"年\"m\"月\"";
        case DateShape::KanjiYearMonthDay:
            return "yyyy\"年\"m\"月\"d\"日\"";
        case DateShape::Era:
            return "[$-411]ge.m.d";
        case DateShape::KanjiEra:
            return "[$-411]ggge\"年\"m\"月\"d\"日\"";
    }
    return {};
}

std::optional<RecognisedNumber> timeOnly(std::string_view entry) {
    Cursor c(entry);
    const std::optional<TimeOfDay> time = readTime(c);
    c.blanks();
    if (!time || !c.atEnd()) return std::nullopt;
    return RecognisedNumber{time->fraction, time->numberFormat};
}

}  // namespace

std::optional<RecognisedNumber> recogniseDateTime(std::string_view entry, bool date1904,
                                                  int currentYear) {
    Cursor c(entry);
    const std::optional<DatePart> date = datePart(c, currentYear);
    if (!date) return timeOnly(entry);
    const std::optional<int> serial = dateSerial(date->date, date1904);
    if (!serial) return std::nullopt;
    const bool separated = c.blanks();
    if (c.atEnd()) return RecognisedNumber{static_cast<double>(*serial), dateFormat(date->shape)};
    if (!separated) return std::nullopt;
    const std::optional<TimeOfDay> time = readTime(c);
    c.blanks();
    // A date carries its time of day; hours past 24 belong to durations only.
    if (!time || !c.atEnd() || time->fraction >= 1) return std::nullopt;
    return RecognisedNumber{*serial + time->fraction, "yyyy/m/d h:mm"};
}

}  // namespace xls::input
