#include "native/propset/ole_date.h"

#include <cstdint>
#include <ctime>

#include "native/calendar/date_systems.h"

namespace xls::propset {

namespace {

constexpr std::int64_t kFileTimeToUnixSeconds = -calendar::kFileTimeEpoch * 86400;

double oleDate(std::int64_t unixDays, std::int64_t secondOfDay) {
    return calendar::oleDate(unixDays - calendar::kOleEpoch,
                             static_cast<double>(secondOfDay) / 86400.0);
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
        static_cast<std::int64_t>(t.ticks / calendar::kFileTimeTicksPerSecond) -
        kFileTimeToUnixSeconds;
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
        calendar::daysFromCivil({local.tm_year + 1900, local.tm_mon + 1, local.tm_mday});
    return oleDate(days, std::int64_t{local.tm_hour} * 3600 + local.tm_min * 60 + local.tm_sec);
}

}  // namespace xls::propset
