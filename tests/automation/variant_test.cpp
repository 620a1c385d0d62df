#include "automation/variant.h"

#include <gtest/gtest.h>

#include "automation/automation_error.h"
#include "automation/ole_date.h"

namespace automation {
namespace {

TEST(VariantText, NumbersUseFifteenSignificantDigits) {
    EXPECT_EQ(Variant(3.14).toText(), "3.14");
    EXPECT_EQ(Variant(100.0).toText(), "100");
    EXPECT_EQ(Variant(-0.5).toText(), "-0.5");
    EXPECT_EQ(Variant(1e20).toText(), "1E+20");
    EXPECT_EQ(Variant(1.5e-7).toText(), "1.5E-07");
    EXPECT_EQ(Variant(0.0001).toText(), "0.0001");
    EXPECT_EQ(Variant(1.0 / 3).toText(), "0.333333333333333");
    EXPECT_EQ(Variant(123456789012345.0).toText(), "123456789012345");
    EXPECT_EQ(Variant(1234567890123456.0).toText(), "1.23456789012346E+15");
    EXPECT_EQ(Variant(0.1 + 0.2).toText(), "0.3");
    EXPECT_EQ(Variant(-0.0).toText(), "0");
    EXPECT_EQ(Variant(std::int16_t{-7}).toText(), "-7");
    EXPECT_EQ(Variant(std::int32_t{123456}).toText(), "123456");
}

TEST(VariantText, CurrencyDropsTrailingZeros) {
    EXPECT_EQ(Variant(Currency{12345000}).toText(), "1234.5");
    EXPECT_EQ(Variant(Currency{10000}).toText(), "1");
    EXPECT_EQ(Variant(Currency{-5000}).toText(), "-0.5");
    EXPECT_EQ(Variant(Currency{1}).toText(), "0.0001");
    EXPECT_EQ(Variant(Currency{INT64_MIN}).toText(), "-922337203685477.5808");
}

TEST(VariantText, DatesInTheJapaneseShortPatterns) {
    EXPECT_EQ(Variant(Date{38425}).toText(), "2005/03/14");
    EXPECT_EQ(Variant(Date{38425 + (9 * 60 + 5) / 1440.0}).toText(), "2005/03/14 9:05:00");
    EXPECT_EQ(Variant(Date{(9 * 60 + 5) / 1440.0}).toText(), "9:05:00");
    EXPECT_EQ(Variant(Date{0}).toText(), "0:00:00");
    EXPECT_EQ(Variant(Date{2}).toText(), "1900/01/01");
    EXPECT_EQ(Variant(Date{-1}).toText(), "1899/12/29");
    EXPECT_EQ(Variant(Date{-1.5}).toText(), "1899/12/29 12:00:00");
    EXPECT_EQ(Variant(Date{2958465}).toText(), "9999/12/31");
    // Rounding to the second may carry into the next day.
    EXPECT_EQ(Variant(Date{38425.9999999}).toText(), "2005/03/15");
    EXPECT_THROW(Variant(Date{3e6}).toText(), AutomationError);
}

TEST(VariantText, OtherTypes) {
    EXPECT_EQ(Variant().toText(), "");
    EXPECT_EQ(Variant("鈴木").toText(), "鈴木");
    EXPECT_EQ(Variant(true).toText(), "True");
    EXPECT_EQ(Variant(false).toText(), "False");
}

TEST(VariantText, ErrorValuesAndArraysCannotBecomeText) {
    try {
        Variant(ErrorValue{2042}).toText();
        FAIL() << "converted an error value";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), errnum::kTypeMismatch);
    }
    auto a = std::make_shared<VariantArray>();
    a->rows = 1;
    a->columns = 2;
    a->items = {Variant(1.0), Variant(2.0)};
    EXPECT_THROW(Variant(std::shared_ptr<const VariantArray>(a)).toText(), AutomationError);
}

TEST(VariantLong, CoercionRoundsHalfToEvenAndChecksRange) {
    EXPECT_EQ(Variant(2.5).toLong(), 2);
    EXPECT_EQ(Variant(3.5).toLong(), 4);
    EXPECT_EQ(Variant(-2.5).toLong(), -2);
    EXPECT_EQ(Variant().toLong(), 0);
    EXPECT_EQ(Variant(true).toLong(), -1);
    EXPECT_EQ(Variant(" 12 ").toLong(), 12);
    EXPECT_EQ(Variant("1,234").toLong(), 1234);
    EXPECT_EQ(Variant("4.6").toLong(), 5);
    EXPECT_EQ(Variant(Date{38425.75}).toLong(), 38426);
    EXPECT_THROW(Variant("abc").toLong(), AutomationError);
    EXPECT_THROW(Variant("inf").toLong(), AutomationError);
    EXPECT_THROW(Variant("0x10").toLong(), AutomationError);
    EXPECT_THROW(Variant("").toLong(), AutomationError);
    EXPECT_THROW(Variant(3e9).toLong(), AutomationError);
    EXPECT_THROW(Variant(ErrorValue{2007}).toLong(), AutomationError);
}

TEST(OleDate, CivilRoundTrip) {
    for (double serial : {0.0, 1.0, 60.0, 38425.5, -1.25, 2958465.0, -657434.0}) {
        auto t = civilFromOleDate(serial);
        ASSERT_TRUE(t) << serial;
        EXPECT_DOUBLE_EQ(oleDateFromCivil(*t), serial) << serial;
    }
    EXPECT_FALSE(civilFromOleDate(-700000));
    EXPECT_FALSE(civilFromOleDate(std::numeric_limits<double>::quiet_NaN()));
}

}  // namespace
}  // namespace automation
