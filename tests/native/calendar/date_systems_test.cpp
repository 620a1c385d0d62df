#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "native/calendar/date_systems.h"

namespace xls::calendar {
namespace {

TEST(SerialToOleDate, System1900AroundThePhantomLeapDay) {
    EXPECT_EQ(serialToOleDate(1.0, false), 2.0);    // 1900-01-01
    EXPECT_EQ(serialToOleDate(59.0, false), 60.0);  // 1900-02-28
    EXPECT_EQ(serialToOleDate(59.75, false), 60.75);
    EXPECT_EQ(serialToOleDate(60.0, false), std::nullopt);  // 1900-02-29 never was
    EXPECT_EQ(serialToOleDate(60.5, false), std::nullopt);
    EXPECT_EQ(serialToOleDate(61.0, false), 61.0);  // 1900-03-01
    EXPECT_EQ(serialToOleDate(45000.25, false), 45000.25);
}

TEST(SerialToOleDate, BelowOneIsATimeOfDay) {
    EXPECT_EQ(serialToOleDate(0.0, false), 0.0);
    EXPECT_EQ(serialToOleDate(0.5, false), 0.5);
    EXPECT_EQ(serialToOleDate(0.999988, false), 0.999988);
}

TEST(SerialToOleDate, System1904StartsIn1904) {
    EXPECT_EQ(serialToOleDate(0.0, true), 1462.0);  // 1904-01-01
    EXPECT_EQ(serialToOleDate(0.5, true), 1462.5);
    EXPECT_EQ(serialToOleDate(59.0, true), 1521.0);  // no phantom day here
    EXPECT_EQ(serialToOleDate(60.0, true), 1522.0);
    EXPECT_EQ(serialToOleDate(2957003.0, true), 2958465.0);  // 9999-12-31
    EXPECT_EQ(serialToOleDate(2957004.0, true), std::nullopt);
}

TEST(SerialToOleDate, OutOfRangeSerialsStayNumbers) {
    EXPECT_EQ(serialToOleDate(-1.0, false), std::nullopt);
    EXPECT_EQ(serialToOleDate(-0.5, false), std::nullopt);
    EXPECT_EQ(serialToOleDate(-1.0, true), std::nullopt);
    EXPECT_EQ(serialToOleDate(2958465.99999, false), 2958465.99999);  // 9999-12-31 23:59
    EXPECT_EQ(serialToOleDate(2958466.0, false), std::nullopt);
    EXPECT_EQ(serialToOleDate(1e300, false), std::nullopt);
    EXPECT_EQ(serialToOleDate(std::numeric_limits<double>::quiet_NaN(), false), std::nullopt);
    EXPECT_EQ(serialToOleDate(std::numeric_limits<double>::infinity(), true), std::nullopt);
}

}  // namespace
}  // namespace xls::calendar
