#include "native/input/time_entry.h"

#include <string_view>

namespace xls::input {

namespace {

enum class TimeShape { HourMinute, HourMinuteSecond, Clock12, Clock12Seconds, Kanji, KanjiSeconds };

struct TimePart {
    double fraction = 0;
    TimeShape shape;
};

constexpr std::string_view kHour = "時", kMinute = "分", kSecond = "秒";

// "AM", "PM", "A" or "P" after a clock time; 12 AM is midnight.
std::optional<int> clock12Hour(Cursor& c, int hour) {
    c.blanks();
    bool pm = false;
    if (c.wordIgnoringCase("AM") || c.wordIgnoringCase("A")) {
        pm = false;
    } else if (c.wordIgnoringCase("PM") || c.wordIgnoringCase("P")) {
        pm = true;
    } else {
        return std::nullopt;
    }
    if (hour > 12) return std::nullopt;
    return hour % 12 + (pm ? 12 : 0);
}

std::optional<TimePart> kanjiTime(Cursor& c, int hour) {
    const std::optional<Number> minute = c.number(2);
    if (!minute || minute->value > 59 || !c.literal(kMinute) || hour > 23) return std::nullopt;
    int second = 0;
    TimeShape shape = TimeShape::Kanji;
    if (!c.atEnd() && c.peek() != ' ') {
        const std::optional<Number> s = c.number(2);
        if (!s || s->value > 59 || !c.literal(kSecond)) return std::nullopt;
        second = s->value;
        shape = TimeShape::KanjiSeconds;
    }
    return TimePart{(hour * 3600.0 + minute->value * 60.0 + second) / 86400.0, shape};
}

// "9:05", "9:05:30", "9:05:30.25", "9:05 PM", "9 p", "25:00" and "9時5分".
std::optional<TimePart> timePart(Cursor& c) {
    const std::optional<Number> hour = c.number(4);
    if (!hour) return std::nullopt;
    if (c.literal(kHour)) return kanjiTime(c, hour->value);
    int minute = 0;
    double second = 0;
    bool hasMinute = false, hasSecond = false;
    if (c.peek() == ':') {
        c.skip();
        const std::optional<Number> m = c.number(2);
        if (!m || m->value > 59) return std::nullopt;
        minute = m->value;
        hasMinute = true;
        if (c.peek() == ':') {
            c.skip();
            const std::optional<Number> s = c.number(2);
            if (!s || s->value > 59) return std::nullopt;
            second = s->value;
            hasSecond = true;
            if (c.peek() == '.') {
                c.skip();
                const std::optional<Number> f = c.number(3);
                if (!f) return std::nullopt;
                double scale = 1;
                for (std::size_t k = 0; k < f->length; ++k) scale *= 10;
                second += f->value / scale;
            }
        }
    }
    const std::size_t beforeMarker = c.position();
    int h = hour->value;
    TimeShape shape = hasSecond ? TimeShape::HourMinuteSecond : TimeShape::HourMinute;
    if (const std::optional<int> h12 = clock12Hour(c, h)) {
        h = *h12;
        shape = hasSecond ? TimeShape::Clock12Seconds : TimeShape::Clock12;
    } else {
        c.rewind(beforeMarker);
        if (!hasMinute) return std::nullopt;  // a bare number is no time
    }
    return TimePart{(h * 3600.0 + minute * 60.0 + second) / 86400.0, shape};
}

std::string timeFormat(const TimePart& t) {
    if (t.fraction >= 1) return "[h]:mm:ss";
    switch (t.shape) {
        case TimeShape::HourMinute:
            return "h:mm";
        case TimeShape::HourMinuteSecond:
            return "h:mm:ss";
        case TimeShape::Clock12:
            return "h:mm AM/PM";
        case TimeShape::Clock12Seconds:
            return "h:mm:ss AM/PM";
        case TimeShape::Kanji:
            return "h\"時\"mm\"分\"";
        case TimeShape::KanjiSeconds:
            return "h\"時\"mm\"分\"ss\"秒\"";
    }
    return {};
}

}  // namespace

std::optional<TimeOfDay> readTime(Cursor& c) {
    const std::optional<TimePart> time = timePart(c);
    if (!time) return std::nullopt;
    return TimeOfDay{time->fraction, timeFormat(*time)};
}

}  // namespace xls::input
