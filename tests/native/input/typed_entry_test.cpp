#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "native/input/typed_value.h"

namespace xls::input {
namespace {

using Kind = TypedValue::Kind;

TypedValue parse(std::string_view entry) {
    return parseTypedEntry(entry, false, 2024);
}

TEST(TypedEntry, ApostropheForcesTextAndIsDropped) {
    EXPECT_EQ(parse("'abc").text, "abc");
    for (std::string_view e : {"'123", "'=1+2", "'TRUE", "'2005/3/14", "'", "''x"}) {
        const TypedValue v = parse(e);
        EXPECT_EQ(v.kind, Kind::Text) << e;
        EXPECT_EQ(v.text, e.substr(1)) << e;
        EXPECT_EQ(v.numberFormat, "") << e;
    }
}

TEST(TypedEntry, FormulasAreHandedBackUnchanged) {
    for (std::string_view e : {"=1+2", "=SUM(R1C1:R2C2)", "=", "==x"}) {
        const TypedValue v = parse(e);
        EXPECT_EQ(v.kind, Kind::Formula) << e;
        EXPECT_EQ(v.text, e);
    }
    // Only a first-place '=' counts.
    EXPECT_EQ(parse(" =1").kind, Kind::Text);
}

TEST(TypedEntry, ASignThatStartsNoNumberStartsAFormula) {
    EXPECT_EQ(parse("-abc").kind, Kind::Formula);
    EXPECT_EQ(parse("-abc").text, "=-abc");
    EXPECT_EQ(parse("+81-3-1234").text, "=+81-3-1234");
    EXPECT_EQ(parse("--5").text, "=--5");
    EXPECT_EQ(parse("-").kind, Kind::Text);
    EXPECT_EQ(parse("+").kind, Kind::Text);
    EXPECT_EQ(parse("-5").kind, Kind::Number);
}

TEST(TypedEntry, BooleansInAnyCase) {
    for (std::string_view e : {"TRUE", "true", "True", " tRuE "}) {
        const TypedValue v = parse(e);
        EXPECT_EQ(v.kind, Kind::Boolean) << e;
        EXPECT_TRUE(v.boolean) << e;
    }
    const TypedValue f = parse("false");
    EXPECT_EQ(f.kind, Kind::Boolean);
    EXPECT_FALSE(f.boolean);
    for (std::string_view e : {"TRUEX", "T", "yes", "真"})
        EXPECT_EQ(parse(e).kind, Kind::Text) << e;
}

TEST(TypedEntry, ErrorLiteralsCarryTheirCellCodes) {
    struct Case {
        std::string_view entry, canonical;
        std::int32_t code;
    };
    for (const Case& c : {Case{"#NULL!", "#NULL!", 0x00}, Case{"#DIV/0!", "#DIV/0!", 0x07},
                          Case{"#value!", "#VALUE!", 0x0F}, Case{"#REF!", "#REF!", 0x17},
                          Case{"#Name?", "#NAME?", 0x1D}, Case{"#NUM!", "#NUM!", 0x24},
                          Case{" #n/a ", "#N/A", 0x2A}}) {
        const TypedValue v = parse(c.entry);
        EXPECT_EQ(v.kind, Kind::Error) << c.entry;
        EXPECT_EQ(v.text, c.canonical) << c.entry;
        EXPECT_EQ(v.errorCode, c.code) << c.entry;
    }
    for (std::string_view e : {"#N/A!", "#DIV/0", "#", "#GETTING_DATA"})
        EXPECT_EQ(parse(e).kind, Kind::Text) << e;
}

TEST(TypedEntry, EverythingElseIsTextKeptVerbatim) {
    for (std::string_view e :
         {"", "担当者", "  padded  ", "abc 123", "P_ファイル名", "1-2-3-4", "¥ 100", "１２３円"}) {
        const TypedValue v = parse(e);
        EXPECT_EQ(v.kind, Kind::Text) << e;
        EXPECT_EQ(v.text, e) << e;
        EXPECT_EQ(v.numberFormat, "") << e;
    }
}

TEST(TypedEntry, MalformedUtf8BecomesReplacementCharacters) {
    const TypedValue v = parse(std::string_view("a\xFF\xC3", 3));
    EXPECT_EQ(v.kind, Kind::Text);
    EXPECT_EQ(v.text, "a\uFFFD\uFFFD");
    EXPECT_EQ(parse(std::string_view("1\xE3\x80", 3)).kind, Kind::Text);
    // UTF-8 in shape only: an encoded surrogate is no character.
    EXPECT_EQ(parse("'a\xED\xA0\x80").text, "a\uFFFD");
    const std::string embeddedNul(
        "12\0"
        "3",
        4);
    EXPECT_EQ(parse(embeddedNul).kind, Kind::Text);
}

TEST(TypedEntry, LongEntriesFinish) {
    const std::string blanks(32767, ' ');
    EXPECT_EQ(parse(blanks).kind, Kind::Text);
    const std::string kanji = [] {
        std::string s;
        for (int i = 0; i < 32767; ++i) s += "年";
        return s;
    }();
    EXPECT_EQ(parse(kanji).text, kanji);
    std::string colons(32767, ':');
    colons[0] = '9';
    EXPECT_EQ(parse(colons).kind, Kind::Text);
    std::string commas = "1";
    for (int i = 0; i < 8000; ++i) commas += ",000";
    EXPECT_EQ(parse(commas).kind, Kind::Text);  // far beyond the largest number
}

TEST(TypedEntry, TheClockSuppliesTheYearByDefault) {
    const TypedValue v = parseTypedEntry("1/1");
    ASSERT_EQ(v.kind, Kind::Number);
    EXPECT_GT(v.number, 45292 - 1);  // 2024-01-01 or later
}

}  // namespace
}  // namespace xls::input
