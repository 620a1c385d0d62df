#include "native/calendar/date_systems.h"

#include <cmath>

namespace xls::calendar {

namespace {

constexpr int kPhantomLeapDay = 60;  // 1900-02-29 in the 1900 system
constexpr std::int64_t kEpoch1904 = daysFromCivil({1904, 1, 1});
constexpr double kDays1904Offset = static_cast<double>(kEpoch1904 - kOleEpoch);
// The day after 9999-12-31 as an OLE date.
constexpr double kLastOleDay = static_cast<double>(daysFromCivil({9999, 12, 31}) - kOleEpoch + 1);

}  // namespace

double oleDate(std::int64_t oleDay, double timeOfDay) {
    const auto day = static_cast<double>(oleDay);
    return oleDay >= 0 ? day + timeOfDay : day - timeOfDay;
}

std::optional<int> dateSerial(const CivilDate& date, bool date1904) {
    const int y = date.year, m = date.month, d = date.day;
    if (y < 1900 || y > 9999 || m < 1 || m > 12 || d < 1) return std::nullopt;
    const bool phantomLeapDay = y == 1900 && m == 2 && d == 29;
    if (d > daysInMonth(y, m) && !phantomLeapDay) return std::nullopt;
    if (date1904) {
        const std::int64_t serial = daysFromCivil(date) - kEpoch1904;
        if (serial < 0) return std::nullopt;
        return static_cast<int>(serial);
    }
    if (phantomLeapDay) return kPhantomLeapDay;
    const std::int64_t ole = daysFromCivil(date) - kOleEpoch;
    // Before the phantom day the application's count runs one behind the OLE count.
    return static_cast<int>(ole <= kPhantomLeapDay ? ole - 1 : ole);
}

std::optional<double> serialToOleDate(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0.0) return std::nullopt;
    double ole = serial;
    if (date1904) {
        ole = serial + kDays1904Offset;
    } else if (serial >= 1.0 && serial < kPhantomLeapDay) {
        ole = serial + 1.0;
    } else if (serial >= kPhantomLeapDay && serial < kPhantomLeapDay + 1) {
        return std::nullopt;
    }
    if (ole >= kLastOleDay) return std::nullopt;
    return ole;
}

}  // namespace xls::calendar
