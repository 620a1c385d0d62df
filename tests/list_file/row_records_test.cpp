// The texts of numbers and dates in the rows for other programs, exactly:
// the end-to-end test compares them with the list as values.

#include <gtest/gtest.h>

#include <limits>

#include "list_file/row_records.h"

namespace mokuji::list_file {
namespace {

TEST(RowRecordTexts, NumbersAreTheShortestTextThatReadsBackTheSame) {
    const struct {
        double number;
        const char* text;
    } cases[] = {{123, "123"},
                 {0.1, "0.1"},
                 {0.1 + 0.2, "0.30000000000000004"},
                 {-0.5, "-0.5"},
                 {1e21, "1e+21"},
                 {-1e308, "-1e+308"},
                 {5e-324, "5e-324"},
                 {123456789012345680, "123456789012345680"}};
    for (const auto& c : cases) EXPECT_EQ(NumberText(c.number), c.text) << c.text;
    EXPECT_EQ(NumberText(std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(NumberText(-std::numeric_limits<double>::infinity()), std::nullopt);
}

TEST(RowRecordTexts, DatesAreIsoWithTheTimeOfDayOnlyWhenThereIsOne) {
    const struct {
        double serial;
        const char* text;
    } cases[] = {
        {38425, "2005-03-14"},
        {38425.4375, "2005-03-14T10:30:00"},
        // Below one day the list shows a time alone.
        {0.375, "09:00:00"},
        {0, "00:00:00"},
        // Rounded to the second, into the next day.
        {36526.999999, "2000-01-02T00:00:00"},
        // Before the epoch the time still counts from midnight.
        {-1.25, "1899-12-29T06:00:00"},
        {-657434, "0100-01-01"},
        {2958465.5, "9999-12-31T12:00:00"},
    };
    for (const auto& c : cases) EXPECT_EQ(IsoDateText(c.serial), c.text) << c.text;
    EXPECT_EQ(IsoDateText(2958466), std::nullopt);
    EXPECT_EQ(IsoDateText(-657435), std::nullopt);
}

}  // namespace
}  // namespace mokuji::list_file
