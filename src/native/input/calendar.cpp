#include "native/input/calendar.h"

namespace xls::input {

namespace {

bool isLeap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(int y, int m) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date (era arithmetic over 400-year cycles).
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153L * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

}  // namespace

std::optional<int> dateSerial(const CivilDate& date, bool date1904) {
    const int y = date.year, m = date.month, d = date.day;
    if (y < 1900 || y > 9999 || m < 1 || m > 12 || d < 1) return std::nullopt;
    const bool phantomLeapDay = y == 1900 && m == 2 && d == 29;
    if (d > daysInMonth(y, m) && !phantomLeapDay) return std::nullopt;
    if (date1904) {
        const long serial = daysFromCivil(y, m, d) - daysFromCivil(1904, 1, 1);
        if (serial < 0) return std::nullopt;
        return static_cast<int>(serial);
    }
    if (phantomLeapDay) return 60;
    const long ole = daysFromCivil(y, m, d) - daysFromCivil(1899, 12, 30);
    // Before the phantom day the application's count runs one behind the OLE count.
    return static_cast<int>(ole < 61 ? ole - 1 : ole);
}

int expandShortYear(int year) {
    return year < 30 ? 2000 + year : 1900 + year;
}

}  // namespace xls::input
