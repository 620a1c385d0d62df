#include "native/propset/ole_date.h"

#include <cstdint>
#include <ctime>

namespace xls::propset {

std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kFileTimeToUnixSeconds = 11'644'473'600;
// Days from 1899-12-30 to 1970-01-01.
constexpr std::int64_t kOleEpochToUnixDays = 25'569;

double oleDate(std::int64_t unixDays, std::int64_t secondOfDay) {
    const std::int64_t days = unixDays + kOleEpochToUnixDays;
    const double dayFraction = static_cast<double>(secondOfDay) / 86400.0;
    // Before 1899-12-30 the OLE encoding keeps the time of day positive
    // while the day count goes negative.
    return days >= 0 ? static_cast<double>(days) + dayFraction
                     : static_cast<double>(days) - dayFraction;
}

// The zone's offset east of UTC where the C library gives no local time.
// Windows' library stops at 1970, so its standard offset stands in before
// that; elsewhere only years beyond any zone rules get here, read as UTC.
std::int64_t offsetOutOfRange() {
#ifdef _WIN32
    _tzset();
    return -std::int64_t{_timezone};
#else
    return 0;
#endif
}

}  // namespace

double fileTimeToLocalOleDate(FileTime t) {
    const std::int64_t unixSeconds =
        static_cast<std::int64_t>(t.ticks / kTicksPerSecond) - kFileTimeToUnixSeconds;
    const auto seconds = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &seconds) != 0) {
#else
    if (!localtime_r(&seconds, &local)) {
#endif
        const std::int64_t shifted = unixSeconds + offsetOutOfRange();
        std::int64_t days = shifted / 86400;
        std::int64_t rest = shifted % 86400;
        if (rest < 0) {
            rest += 86400;
            --days;
        }
        return oleDate(days, rest);
    }
    const std::int64_t days =
        daysFromCivil(std::int64_t{local.tm_year} + 1900, static_cast<unsigned>(local.tm_mon + 1),
                      static_cast<unsigned>(local.tm_mday));
    return oleDate(days, std::int64_t{local.tm_hour} * 3600 + local.tm_min * 60 + local.tm_sec);
}

}  // namespace xls::propset
