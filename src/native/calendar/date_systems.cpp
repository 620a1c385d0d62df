#include "native/calendar/date_systems.h"

#include <cmath>

namespace xls::calendar {

namespace {

constexpr double kPhantomLeapDay = 60.0;    // 1900-02-29 in the 1900 system
constexpr double kDays1904Offset = 1462.0;  // 1904-01-01 as an OLE date
constexpr double kLastOleDay = 2958466.0;   // the day after 9999-12-31

}  // namespace

std::optional<double> serialToOleDate(double serial, bool date1904) {
    if (!std::isfinite(serial) || serial < 0.0) return std::nullopt;
    double ole = serial;
    if (date1904) {
        ole = serial + kDays1904Offset;
    } else if (serial >= 1.0 && serial < kPhantomLeapDay) {
        ole = serial + 1.0;
    } else if (serial >= kPhantomLeapDay && serial < kPhantomLeapDay + 1.0) {
        return std::nullopt;
    }
    if (ole >= kLastOleDay) return std::nullopt;
    return ole;
}

}  // namespace xls::calendar
