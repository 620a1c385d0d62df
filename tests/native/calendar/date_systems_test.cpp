#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "native/calendar/date_systems.h"

namespace xls::calendar {
namespace {

// Days since 1970-01-01 counted independently of the code.
TEST(CivilDays, KnownDaysBothWays) {
    struct Case {
        CivilDate date;
        std::int64_t days;
    };
    const Case cases[] = {
        {{1970, 1, 1}, 0},       {{1969, 12, 31}, -1},     {{1899, 12, 30}, -25569},
        {{1900, 2, 28}, -25509}, {{1900, 3, 1}, -25508},   {{1904, 1, 1}, -24107},
        {{2000, 2, 29}, 11016},  {{1600, 2, 29}, -135081}, {{100, 1, 1}, -683003},
        {{1, 1, 1}, -719162},    {{9999, 12, 31}, 2932896}};
    for (const Case& c : cases) {
        EXPECT_EQ(daysFromCivil(c.date), c.days) << c.days;
        const CivilDate back = civilFromDays(c.days);
        EXPECT_EQ(std::tie(back.year, back.month, back.day),
                  std::tie(c.date.year, c.date.month, c.date.day))
            << c.days;
    }
}

TEST(OleDate, TheTimeOfDayCountsForwardBeforeTheEpoch) {
    EXPECT_EQ(oleDate(2, 0.25), 2.25);
    EXPECT_EQ(oleDate(-2, 0.25), -2.25);  // 1899-12-28 06:00
}

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
