#pragma once

#include <optional>

namespace xls::input {

// A day of the Gregorian calendar as typed; validity is checked by dateSerial.
struct CivilDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// The serial the application stores for the day: in the 1900 system days counted so that
// 1900-01-01 is 1 and the phantom 1900-02-29 is 60 (which the application accepts as typed),
// making serials from 61 on equal to OLE dates; in the 1904 system days since 1904-01-01.
// nullopt for days the application has no serial for: before its first day or after
// 9999-12-31, and days that do not exist.
std::optional<int> dateSerial(const CivilDate& date, bool date1904);

// Years typed with one or two digits: 0-29 are 2000-2029 and 30-99 are 1930-1999, the
// application's default window.
int expandShortYear(int year);

}  // namespace xls::input
