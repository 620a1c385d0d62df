#include <gtest/gtest.h>

#include <string_view>

#include "native/input/typed_value.h"

namespace xls::input {
namespace {

using Kind = TypedValue::Kind;

constexpr std::string_view kYmd = "yyyy/m/d";
constexpr std::string_view kMd = "m\"月\"d\"日\"";
constexpr std::string_view kYm = "yyyy\"年\"m\"月\"";

struct DateCase {
    std::string_view entry;
    double serial;
    std::string_view format;
};

void expectDates(std::initializer_list<DateCase> cases, bool date1904 = false) {
    for (const DateCase& c : cases) {
        const TypedValue v = parseTypedEntry(c.entry, date1904, 2024);
        ASSERT_EQ(v.kind, Kind::Number) << c.entry;
        EXPECT_DOUBLE_EQ(v.number, c.serial) << c.entry;
        EXPECT_EQ(v.numberFormat, c.format) << c.entry;
    }
}

void expectText(std::initializer_list<std::string_view> entries, bool date1904 = false) {
    for (std::string_view e : entries) {
        const TypedValue v = parseTypedEntry(e, date1904, 2024);
        EXPECT_EQ(v.kind, Kind::Text) << e;
    }
}

// Serials below were counted independently of the code (days since 1899-12-30).
TEST(TypedDate, YearMonthDaySpellings) {
    expectDates({{"2005/03/14", 38425, kYmd},
                 {"2005/3/14", 38425, kYmd},
                 {"2005-03-14", 38425, kYmd},
                 {"05/3/14", 38425, kYmd},
                 {"99/12/31", 36525, kYmd},
                 {"30/1/1", 10959, kYmd},
                 {"29/1/1", 47119, kYmd},
                 {"9999/12/31", 2958465, kYmd},
                 {"2005年3月14日", 38425, "yyyy\"年\"m\"月\"d\"日\""},
                 {"２００５／３／１４", 38425, kYmd}});
}

TEST(TypedDate, PartialDates) {
    expectDates({{"3/14", 45365, kMd},
                 {"3-14", 45365, kMd},
                 {"3月14日", 45365, kMd},
                 {"2005/3", 38412, kYm},
                 {"14/3", 41699, kYm},  // no 14th month: a year and a month
                 {"2005年3月", 38412, kYm}});
}

TEST(TypedDate, JapaneseEras) {
    expectDates({{"H17/3/14", 38425, "[$-411]ge.m.d"},
                 {"h17.3.14", 38425, "[$-411]ge.m.d"},
                 {"H1-1-8", 32516, "[$-411]ge.m.d"},
                 {"R1.5.1", 43586, "[$-411]ge.m.d"},
                 {"平成17年3月14日", 38425, "[$-411]ggge\"年\"m\"月\"d\"日\""}});
    expectText({"M20/1/1", "H0/1/1", "X17/3/14", "H17/3.14", "平成17年3月"});
}

TEST(TypedDate, TheFirstDaysOfThe1900System) {
    // The application counts a 29 February 1900 that never was; typing it gives serial 60.
    expectDates({{"1900/1/1", 1, kYmd},
                 {"1900/2/28", 59, kYmd},
                 {"1900/2/29", 60, kYmd},
                 {"1900/3/1", 61, kYmd}});
    expectText({"1899/12/31", "1900/2/30", "2023/2/29", "2005/13/1", "2005/0/1", "2005/1/0"});
}

TEST(TypedDate, The1904System) {
    expectDates({{"1904/1/1", 0, kYmd}, {"2005/3/14", 36963, kYmd}, {"9:00", 0.375, "h:mm"}}, true);
    expectText({"1903/12/31", "1900/2/29"}, true);
}

TEST(TypedDate, Times) {
    expectDates({{"9:05", (9 * 60 + 5) / 1440.0, "h:mm"},
                 {"0:00", 0, "h:mm"},
                 {"9:05:30", (9 * 3600 + 5 * 60 + 30) / 86400.0, "h:mm:ss"},
                 {"9:05:30.5", (9 * 3600 + 5 * 60 + 30.5) / 86400.0, "h:mm:ss"},
                 {"9:05 PM", (21 * 60 + 5) / 1440.0, "h:mm AM/PM"},
                 {"12:30 am", 30 / 1440.0, "h:mm AM/PM"},
                 {"12:00 PM", 0.5, "h:mm AM/PM"},
                 {"1 p", 13 / 24.0, "h:mm AM/PM"},
                 {"9:05:30 AM", (9 * 3600 + 5 * 60 + 30) / 86400.0, "h:mm:ss AM/PM"},
                 {"25:00", 25 / 24.0, "[h]:mm:ss"},
                 {"9時5分", (9 * 60 + 5) / 1440.0, "h\"時\"mm\"分\""},
                 {"9時5分30秒", (9 * 3600 + 5 * 60 + 30) / 86400.0, "h\"時\"mm\"分\"ss\"秒\""},
                 {"９：０５", (9 * 60 + 5) / 1440.0, "h:mm"}});
    expectText({"9:60", "9:05:60", "13:00 PM", "9:", ":05", "9:05 XM", "9 AMX", "24時0分"});
}

TEST(TypedDate, DateAndTime) {
    expectDates(
        {{"2005/3/14 9:05", 38425 + (9 * 60 + 5) / 1440.0, "yyyy/m/d h:mm"},
         {"2005/3/14  21:05:30", 38425 + (21 * 3600 + 5 * 60 + 30) / 86400.0, "yyyy/m/d h:mm"},
         {"3/14 9:05 PM", 45365 + (21 * 60 + 5) / 1440.0, "yyyy/m/d h:mm"}});
    expectText({"2005/3/149:05", "2005/3/14 25:00", "2005/3/14 abc", "2005/3/14x"});
}

TEST(TypedDate, ALeadingBlankKeepsADateAsText) {
    expectText({" 2005/3/14", " 9:05", "\u30003/14"});
    expectDates({{"2005/3/14 ", 38425, kYmd}});
}

TEST(TypedDate, MonthAndDayFollowTheGivenYear) {
    EXPECT_DOUBLE_EQ(parseTypedEntry("2/1", false, 2026).number, 46054);
    EXPECT_EQ(parseTypedEntry("2/29", false, 2024).numberFormat, kMd);
    // No 29 February in 2023, and 29 is no month for the year-month reading.
    EXPECT_EQ(parseTypedEntry("2/29", false, 2023).kind, Kind::Text);
}

}  // namespace
}  // namespace xls::input
