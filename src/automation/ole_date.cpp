#include "automation/ole_date.h"

#include <cmath>

#include "native/calendar/date_systems.h"

namespace automation {

namespace {

using xls::calendar::kOleEpoch;

// Years 100 to 9999: the range an automation date may hold.
constexpr double kFirstOleDay =
    static_cast<double>(xls::calendar::daysFromCivil({100, 1, 1}) - kOleEpoch);
constexpr double kLastOleDay =
    static_cast<double>(xls::calendar::daysFromCivil({9999, 12, 31}) - kOleEpoch);

}  // namespace

std::optional<CivilDateTime> civilFromOleDate(double serial) {
    if (!std::isfinite(serial) || serial < kFirstOleDay || serial >= kLastOleDay + 1)
        return std::nullopt;
    double dayPart = std::trunc(serial);
    long long seconds = std::llround(std::fabs(serial - dayPart) * 86400.0);
    long long day = static_cast<long long>(dayPart);
    if (seconds >= 86400) {
        seconds -= 86400;
        day += serial < 0 ? -1 : 1;
    }
    const xls::calendar::CivilDate date = xls::calendar::civilFromDays(day + kOleEpoch);
    if (date.year < 100 || date.year > 9999) return std::nullopt;
    CivilDateTime t;
    t.year = date.year;
    t.month = static_cast<unsigned>(date.month);
    t.day = static_cast<unsigned>(date.day);
    t.hour = static_cast<unsigned>(seconds / 3600);
    t.minute = static_cast<unsigned>(seconds / 60 % 60);
    t.second = static_cast<unsigned>(seconds % 60);
    return t;
}

double oleDateFromCivil(const CivilDateTime& t) {
    const std::int64_t day =
        xls::calendar::daysFromCivil({t.year, static_cast<int>(t.month), static_cast<int>(t.day)}) -
        kOleEpoch;
    return xls::calendar::oleDate(day, (t.hour * 3600.0 + t.minute * 60.0 + t.second) / 86400.0);
}

}  // namespace automation
