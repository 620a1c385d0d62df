#include "native/propset/ole_date.h"

#include <cstdint>
#include <ctime>

namespace xls::propset {

namespace {

constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kFileTimeToUnixSeconds = 11'644'473'600;
// Days from 1899-12-30 to 1970-01-01.
constexpr std::int64_t kOleEpochToUnixDays = 25'569;

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

double fileTimeToLocalOleDate(FileTime t) {
    const std::int64_t unixSeconds =
        static_cast<std::int64_t>(t.ticks / kTicksPerSecond) - kFileTimeToUnixSeconds;
    const auto seconds = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) {
        // Out of the C library's range: fall back to UTC arithmetic.
        std::int64_t days = unixSeconds / 86400;
        std::int64_t rest = unixSeconds % 86400;
        if (rest < 0) {
            rest += 86400;
            --days;
        }
        return static_cast<double>(days + kOleEpochToUnixDays) +
               static_cast<double>(rest) / 86400.0;
    }
    const std::int64_t days =
        daysFromCivil(std::int64_t{local.tm_year} + 1900, static_cast<unsigned>(local.tm_mon + 1),
                      static_cast<unsigned>(local.tm_mday)) +
        kOleEpochToUnixDays;
    const double dayFraction =
        (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) / 86400.0;
    // Before 1899-12-30 the OLE encoding keeps the time of day positive
    // while the day count goes negative.
    return days >= 0 ? static_cast<double>(days) + dayFraction
                     : static_cast<double>(days) - dayFraction;
}

}  // namespace xls::propset
