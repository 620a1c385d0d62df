#pragma once

#include <cstdint>
#include <optional>

#include "native/calendar/civil_days.h"

namespace xls::calendar {

// OLE automation dates count days from 1899-12-30, the time of day being the
// fraction. The epoch in days since 1970-01-01:
inline constexpr std::int64_t kOleEpoch = daysFromCivil({1899, 12, 30});
static_assert(kOleEpoch == -25569);

// FILETIME counts 100-nanosecond ticks from 1601-01-01 (UTC). The epoch in
// days since 1970-01-01:
inline constexpr std::int64_t kFileTimeEpoch = daysFromCivil({1601, 1, 1});
inline constexpr std::int64_t kFileTimeTicksPerSecond = 10'000'000;

// The OLE date of a day counted from the OLE epoch and a time of day (0 to
// below 1). Before the epoch the day count goes negative while the time of
// day still counts forward from midnight, so the fraction is taken away.
double oleDate(std::int64_t oleDay, double timeOfDay);

// The serial the application stores for a day: in the 1900 system days
// counted so that 1900-01-01 is 1 and the phantom 1900-02-29 is 60 (which the
// application accepts as typed), making serials from 61 on equal to OLE
// dates; in the 1904 system days since 1904-01-01. nullopt for days the
// application has no serial for: before its first day or after 9999-12-31,
// and days that do not exist.
std::optional<int> dateSerial(const CivilDate& date, bool date1904);

// Converts a cell's stored date serial to the OLE automation date (days
// since 1899-12-30) that the application's Range.Value hands out for a cell
// with a date format. nullopt means the application has no date for the
// serial and hands out the plain Double instead.
//
// 1900 system: serials from 61 on are the OLE date already; 1 to 60 (up to
// 1900-02-28) are one day behind it, because the application counts a
// 1900-02-29 that never was. That phantom day itself (60 <= serial < 61) has
// no OLE date, so it comes back as a number. Serials below 1 are a time of
// day alone (the application shows 1900-01-00); their OLE date is the
// serial, which a Date variant shows as the time only.
// 1904 system: serial 0 is 1904-01-01, 1462 days after the OLE epoch.
// Negative serials, NaN and days after 9999-12-31 have no date.
std::optional<double> serialToOleDate(double serial, bool date1904);

}  // namespace xls::calendar
