#include <gtest/gtest.h>

#include <string_view>

#include "native/format/number_format.h"

namespace xls::format {
namespace {

// Codes below were found in FORMAT records of workbooks written by the
// application in several locales (Japanese, US, European, Russian, Chinese),
// plus hand-written ones for the rules in between.

TEST(ClassifyFormatCode, DateAndTimeCodesAreDates) {
    constexpr std::string_view codes[] = {
        R"x(yyyy/m/d)x",
        R"x(m/d/yy)x",
        R"x(d-mmm-yy)x",
        R"x(mmm-yy)x",
        R"x(h:mm AM/PM)x",
        R"x(h:mm:ss)x",
        R"x(mm:ss.0)x",
        R"x(yyyy/m/d h:mm)x",
        R"x(yy\.mm\.dd)x",
        R"x(mmmm\ d\,\ yyyy)x",
        R"x(m/d/yy;@)x",
        R"x(DD/MM/YYYY;@)x",
        R"x(HH:MM:SS)x",
        R"x(H:"12";@)x",
        R"x([$-409]dddd\,\ mmmm\ dd\,\ yyyy)x",
        R"x([$-F800]dddd\,\ mmmm\ dd\,\ yyyy)x",
        R"x([$-F400]h:mm:ss\ AM/PM)x",
        R"x("As of "mmmm\ dd\,\ yyyy)x",
        R"x(\As\ \o\f\ d\-mmm\-yy)x",
        R"x("Q"m)x",
        R"x(yyyymmdd)x",
        R"x(dd\-mmm\-yy_))x",
        R"x(\S\t\a\r\t\ \A\t\ [$-409]dd/mm/yyyy\ hh:mm;@)x",
        R"x(\u\n\t\i\l\ h:mm;@)x",
    };
    for (std::string_view code : codes)
        EXPECT_EQ(classifyFormatCode(code), ValueKind::Date) << code;
}

TEST(ClassifyFormatCode, JapaneseDateCodesAreDates) {
    constexpr std::string_view codes[] = {
        R"x([$-411]ggge"年"m"月"d"日")x",
        R"x([$-411]ge.m.d)x",
        R"x(yyyy"年"m"月"d"日")x",
        R"x(m"月"d"日")x",
        R"x(h"時"mm"分"ss"秒")x",
        R"x([$-404]e"年"m"月")x",
        R"x([$-411]e)x",  // era year alone
        R"x(ee\.m\.d\ hh:mm:ss)x",
        R"x([$]ggge"年"m"月"d"日";@)x",
        R"x([DBNum1][$-411]ggge"年"m"月"d"日")x",
        R"x(yyyy"年"m"月"d"日"\(aaaa\))x",
        R"x(aaa)x",  // day of the week alone
        R"x([$-411]"（"ggge"年"m"月分）")x",
        R"x([$-411]yyyy"年"m"月"d"日"\ Am/Pm\ h"時"mm"分"ss"秒")x",
        R"x(yyyy/m/d\ h:mm\ a/p)x",
    };
    for (std::string_view code : codes)
        EXPECT_EQ(classifyFormatCode(code), ValueKind::Date) << code;
}

TEST(ClassifyFormatCode, ElapsedTimeBracketsAreTimes) {
    constexpr std::string_view codes[] = {
        R"x([h]:mm:ss)x", R"x([hh]:mm)x",     R"x([m]"分"ss"秒")x",
        R"x([s]"秒")x",   R"x([SS]"秒")x",    R"x([h]"時間"mm"分"ss"秒")x",
        R"x([mm])x",      R"x([Red][h]:mm)x",
    };
    for (std::string_view code : codes)
        EXPECT_EQ(classifyFormatCode(code), ValueKind::Date) << code;
}

TEST(ClassifyFormatCode, CurrencyCodesAreCurrency) {
    constexpr std::string_view codes[] = {
        // Japanese files spell the yen sign as a quoted or escaped backslash.
        R"x("\"#,##0;"\"\-#,##0)x",
        R"x("\"#,##0.00;[Red]"\"\-#,##0.00)x",
        R"x(_ "\"* #,##0_ ;_ "\"* \-#,##0_ ;_ "\"* "-"_ ;_ @_ )x",
        R"x(\\#,##0;\\-#,##0)x",
        R"x("¥"#,##0_);[Red]\("¥"#,##0\))x",
        R"x(\¥#,##0;\¥\-#,##0)x",
        R"x("￥"#,##0;"￥"\-#,##0)x",
        R"x(¥#,##0)x",
        R"x([$¥-411]#,##0.00)x",
        R"x($#,##0_);($#,##0))x",
        R"x(\$#,##0_);\(\$#,##0\))x",
        R"x("$"#,##0.00_);[Red]\("$"#,##0.00\))x",
        R"x(_("$"* #,##0_);_("$"* \(#,##0\);_("$"* "-"_);_(@_))x",
        R"x("US$"#,##0_);\("US$"#,##0\))x",
        R"x("HK$"#,##0.00_);\("HK$"#,##0.00\))x",
        R"x("€"#,##0.00)x",
        R"x(#,##0.00\ "€";\-#,##0.00\ "€")x",
        R"x("£"#,##0;[Red]\-"£"#,##0)x",
        R"x([$€-2]\ #,##0.00_);[Red]\([$€-2]\ #,##0.00\))x",
        R"x([$£-809]#,##0.00;[Red][$£-809]#,##0.00)x",
        R"x(_([$$-409]* #,##0.00_);_([$$-409]* \(#,##0.00\);_([$$-409]* "-"??_);_(@_))x",
        R"x([$EUR ]#,##0.00_-)x",
        R"x(_([$ANG]\ * #,##0.0_);_([$ANG]\ * \(#,##0.0\);_([$ANG]\ * "-"?_);_(@_))x",
        R"x(#,##0.00[$₹-449]_);\(#,##0.00[$₹-449]\))x",
    };
    for (std::string_view code : codes)
        EXPECT_EQ(classifyFormatCode(code), ValueKind::Currency) << code;
}

TEST(ClassifyFormatCode, PlainNumberCodesAreNumbers) {
    constexpr std::string_view codes[] = {
        "",
        "General",
        "GENERAL",
        "General_)",
        R"x(\(General\))x",
        "0",
        "#,##0.00",
        "0.00%",
        "0.00E+00",
        "##0.0E+0",
        "0.E+00",
        "# ?/?",
        "@",
        ";;;",
        R"x(#,##0_);[Red](#,##0))x",
        R"x(_ * #,##0_ ;_ * \-#,##0_ ;_ * "-"_ ;_ @_ )x",
        R"x(_(* #,##0.00_);_(* \(#,##0.00\);_(* "-"??_);_(@_))x",
        R"x([<=999]000;[<=9999]000\-00;000\-0000)x",
        R"x([Red][>100]">"##.0#;[Blue][=100]"="##.0#;[Magenta]"その他"##.0#)x",
        R"x([Color10]#,##0.0;[Color20]#,##0.0;[Color30]0.0;@)x",
        R"x([DBNum1][$-411]General)x",
        R"x([DBNum3][$-411]#,##0)x",
        R"x([$-411]#,##0)x",
        R"x("Yes";"Yes";"No")x",
        R"x(0;"▲ "0)x",
        R"x(0.0;\▲0.0;0.0)x",
        R"x(#,##0"円")x",
        R"x("Years: "0)x",
        R"x(0\ "Units")x",
        R"x("接頭語："\ @)x",
        R"x(\C\O\B\ \o\n\ @)x",
        R"x([Yellow]\>@)x",
        R"x(#,##0\ "Kč")x",
    };
    for (std::string_view code : codes)
        EXPECT_EQ(classifyFormatCode(code), ValueKind::Number) << code;
}

TEST(ClassifyFormatCode, PaddingAndFillCharactersAreNotSymbols) {
    // The accounting formats without a symbol reserve its width with "_$" or
    // "_€"; the sign is never shown, so the value stays a Number.
    EXPECT_EQ(classifyFormatCode(R"x(_-* #,##0\ _€_-;\-* #,##0\ _€_-)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x(_ * #,##0_)\ _$_ ;_ * \(#,##0\)\ _$_ )x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x(*$#,##0)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x(_y0)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x(*d0)x"), ValueKind::Number);
}

TEST(ClassifyFormatCode, OnlyTheFirstSectionDecides) {
    EXPECT_EQ(classifyFormatCode(R"x(0;yyyy/m/d)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x(#,##0;"$"#,##0)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x(yyyy;0)x"), ValueKind::Date);
    // A ';' inside quotes, escaped or in brackets does not end the section.
    EXPECT_EQ(classifyFormatCode(R"x("a;b"yyyy)x"), ValueKind::Date);
    EXPECT_EQ(classifyFormatCode(R"x(\;"$"0)x"), ValueKind::Currency);
}

TEST(ClassifyFormatCode, QuotedOrEscapedLettersAreNoTokens) {
    EXPECT_EQ(classifyFormatCode(R"x("days"0)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x(0\d\a\y\s)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x(0"AM/PM")x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x("yyyy")x"), ValueKind::Number);
}

TEST(ClassifyFormatCode, DateTokensWinOverCurrency) {
    EXPECT_EQ(classifyFormatCode(R"x("$"yyyy)x"), ValueKind::Date);
    EXPECT_EQ(classifyFormatCode(R"x([$¥-411]yyyy/m/d)x"), ValueKind::Date);
}

TEST(ClassifyFormatCode, LocaleBracketsWithoutSymbolAreNoCurrency) {
    EXPECT_EQ(classifyFormatCode(R"x([$-411]0.00)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x([$-F400]0)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x([$]0)x"), ValueKind::Number);
}

TEST(ClassifyFormatCode, MalformedCodesGiveAnAnswer) {
    // Unclosed quotes and brackets, a trailing escape, bytes that are not
    // UTF-8: each still gets a kind, without reading past the code.
    EXPECT_EQ(classifyFormatCode(R"x("yyyy)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x([h)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x([$¥-411)x"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode(R"x("$"[h)x"), ValueKind::Currency);
    EXPECT_EQ(classifyFormatCode("0\\"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode("0_"), ValueKind::Number);
    EXPECT_EQ(classifyFormatCode("\xff\xfe yyyy"), ValueKind::Date);
    EXPECT_EQ(classifyFormatCode(std::string_view("0\0y", 3)), ValueKind::Date);
}

TEST(ClassifyFormat, FileCodeOverridesTheBuiltinOne) {
    const std::string dateCode = "yyyy/mm/dd";
    const std::string numberCode = "0.00";
    EXPECT_EQ(classifyFormat(0, &dateCode), ValueKind::Date);
    EXPECT_EQ(classifyFormat(14, &numberCode), ValueKind::Number);
    EXPECT_EQ(classifyFormat(14, nullptr), ValueKind::Date);
    EXPECT_EQ(classifyFormat(200, nullptr), ValueKind::Number);
}

}  // namespace
}  // namespace xls::format
