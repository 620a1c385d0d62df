#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "native/input/typed_value.h"

namespace xls::input {
namespace {

using Kind = TypedValue::Kind;

struct NumberCase {
    std::string_view entry;
    double value;
    std::string_view format;
};

void expectNumbers(std::initializer_list<NumberCase> cases) {
    for (const NumberCase& c : cases) {
        const TypedValue v = parseTypedEntry(c.entry, false, 2024);
        ASSERT_EQ(v.kind, Kind::Number) << c.entry;
        EXPECT_DOUBLE_EQ(v.number, c.value) << c.entry;
        EXPECT_EQ(v.numberFormat, c.format) << c.entry;
    }
}

void expectText(std::initializer_list<std::string_view> entries) {
    for (std::string_view e : entries) {
        const TypedValue v = parseTypedEntry(e, false, 2024);
        EXPECT_EQ(v.kind, Kind::Text) << e;
        EXPECT_EQ(v.text, e) << e;
    }
}

TEST(TypedNumber, PlainNumbersKeepTheCellsFormat) {
    expectNumbers({{"123", 123, ""},
                   {"0", 0, ""},
                   {"-5", -5, ""},
                   {"+5", 5, ""},
                   {"1.5", 1.5, ""},
                   {".5", 0.5, ""},
                   {"5.", 5, ""},
                   {"007", 7, ""},
                   {"  42  ", 42, ""},
                   {"(5)", -5, ""},
                   {"(1.25)", -1.25, ""}});
}

TEST(TypedNumber, DecorationsChooseTheFormat) {
    expectNumbers({{"1,234", 1234, "#,##0"},
                   {"12,345,678", 12345678, "#,##0"},
                   {"-1,234.5", -1234.5, "#,##0.00"},
                   {"1E5", 100000, "0.00E+00"},
                   {"1.5e-3", 0.0015, "0.00E+00"},
                   {"-2E+2", -200, "0.00E+00"},
                   {"50%", 0.5, "0%"},
                   {"12.5%", 0.125, "0.00%"},
                   {"-3%", -0.03, "0%"},
                   {"¥1,000", 1000, "\"¥\"#,##0;\"¥\"\\-#,##0"},
                   {"\\1000", 1000, "\"¥\"#,##0;\"¥\"\\-#,##0"},
                   {"-¥500", -500, "\"¥\"#,##0;\"¥\"\\-#,##0"},
                   {"¥-500", -500, "\"¥\"#,##0;\"¥\"\\-#,##0"},
                   {"(¥500)", -500, "\"¥\"#,##0;\"¥\"\\-#,##0"},
                   {"¥12.50", 12.5, "\"¥\"#,##0.00;\"¥\"\\-#,##0.00"}});
}

TEST(TypedNumber, FullWidthDigitsAreNumbers) {
    expectNumbers({{"１２３", 123, ""},
                   {"－１．５", -1.5, ""},
                   {"１，２３４", 1234, "#,##0"},
                   {"５０％", 0.5, "0%"},
                   {"￥１，０００", 1000, "\"¥\"#,##0;\"¥\"\\-#,##0"},
                   {"\u3000７\u3000", 7, ""}});
}

TEST(TypedNumber, PercentIsExactlyAHundredth) {
    // Scaling the decimal text, not dividing the double, gives the double nearest 0.07%.
    EXPECT_EQ(parseTypedEntry("0.07%", false, 2024).number, 0.0007);
    EXPECT_EQ(parseTypedEntry("33.3%", false, 2024).number, 0.333);
}

TEST(TypedNumber, KeepsFifteenSignificantDigitsByTruncation) {
    EXPECT_EQ(parseTypedEntry("1234567890123456789", false, 2024).number, 1234567890123450000.0);
    EXPECT_EQ(parseTypedEntry("0.1234567890123456789", false, 2024).number, 0.123456789012345);
    EXPECT_EQ(parseTypedEntry("9999999999999999", false, 2024).number, 999999999999999e1);
}

TEST(TypedNumber, RangeLimits) {
    EXPECT_EQ(parseTypedEntry("9.99999999999999E+307", false, 2024).kind, Kind::Number);
    EXPECT_EQ(parseTypedEntry("1E-400", false, 2024).number, 0.0);
    expectText({"1E308", "1E999999999999999999999"});
}

TEST(TypedNumber, MalformedNumbersAreText) {
    expectText({"1,23", "12345,678", ",123", "1,",  "1,234E5", "1.2.3", "1e",   "1E+",
                "5-",   "(-5)",      "¥¥5",  "¥5%", "50%%",    "1 000", "0x10", "12abc",
                "¥",    "%",         ".",    "()",  "1.5.",    "(5"});
}

TEST(TypedNumber, HugeDigitRunsStayBounded) {
    const std::string digits(32767, '9');
    const TypedValue many = parseTypedEntry(digits, false, 2024);
    EXPECT_EQ(many.kind, Kind::Text);  // 1E32767 is beyond the largest number

    std::string small = "0." + std::string(32760, '0') + "1";
    EXPECT_EQ(parseTypedEntry(small, false, 2024).number, 0.0);

    std::string longFraction = "1." + std::string(32760, '5');
    EXPECT_DOUBLE_EQ(parseTypedEntry(longFraction, false, 2024).number, 1.55555555555555);
}

}  // namespace
}  // namespace xls::input
