#pragma once

#include <optional>

namespace xls::calendar {

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
