#include "automation/ole_date.h"

#include <cmath>

namespace automation {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
long long daysFromCivil(long long y, unsigned m, unsigned d) {
    y -= m <= 2;
    long long era = (y >= 0 ? y : y - 399) / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

void civilFromDays(long long z, long long& y, unsigned& m, unsigned& d) {
    z += 719468;
    long long era = (z >= 0 ? z : z - 146096) / 146097;
    unsigned doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<long long>(yoe) + era * 400;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

constexpr long long kOleEpochFromUnix = -25569;  // 1899-12-30 in days since 1970-01-01

}  // namespace

std::optional<CivilDateTime> civilFromOleDate(double serial) {
    // Years 100 to 9999: the range an automation date may hold.
    if (!std::isfinite(serial) || serial < -657434.0 || serial >= 2958466.0) return std::nullopt;
    double dayPart = std::trunc(serial);
    long long seconds = std::llround(std::fabs(serial - dayPart) * 86400.0);
    long long day = static_cast<long long>(dayPart);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += serial < 0 ? -1 : 1;
    }
    long long y;
    CivilDateTime t;
    civilFromDays(day + kOleEpochFromUnix, y, t.month, t.day);
    if (y < 100 || y > 9999) return std::nullopt;
    t.year = static_cast<int>(y);
    t.hour = static_cast<unsigned>(seconds / 3600);
    t.minute = static_cast<unsigned>(seconds / 60 % 60);
    t.second = static_cast<unsigned>(seconds % 60);
    return t;
}

double oleDateFromCivil(const CivilDateTime& t) {
    long long day = daysFromCivil(t.year, t.month, t.day) - kOleEpochFromUnix;
    double fraction = (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0;
    // Before the epoch the time still counts forward within the day.
    return day >= 0 ? static_cast<double>(day) + fraction : static_cast<double>(day) - fraction;
}

}  // namespace automation
