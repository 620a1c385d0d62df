#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "native/input/defined_name.h"

namespace xls::input {
namespace {

void expectAccepted(std::initializer_list<std::string_view> names) {
    for (std::string_view name : names) {
        const NameCheck check = checkDefinedName(name);
        EXPECT_TRUE(check.valid) << name << ": " << check.reason;
        EXPECT_EQ(check.reason, "") << name;
    }
}

// Each refusal must say why; the expected word pins which rule refused it.
void expectRefused(std::initializer_list<std::string_view> names, std::string_view why) {
    for (std::string_view name : names) {
        const NameCheck check = checkDefinedName(name);
        EXPECT_FALSE(check.valid) << name;
        EXPECT_NE(check.reason.find(why), std::string::npos) << name << ": " << check.reason;
    }
}

TEST(DefinedName, NamesTheListFileUses) {
    expectAccepted({"担当者", "P_ファイル名", "No.", "P_タイトル", "_x", "\\abc", "P_文字数",
                    "評価1", "P_作成者", "ｶﾀｶﾅ", "ＡＢＣ", "Données", "a.b.c", "a?", "a\\b",
                    "x_1.2", "_", "\\"});
}

TEST(DefinedName, CharacterRules) {
    expectRefused({"P_マルチメディア クリップの数", "P_文字数 (スペースを含む)", "a b", "a\tb",
                   "全角\u3000空白", "nb\u00A0sp"},
                  "blank");
    expectRefused({"a-b", "a(b)", "a$1", "a!b", "a,b", "a:b", "a'b", "a\"b", "x+y", "a/b"},
                  "not allowed");
    expectRefused({"1abc", ".a", "?a", "１番", "9"}, "begin with");
    expectRefused({std::string_view("a\xFF", 2), "a\u0081b", "a\u0090"}, "control");
}

TEST(DefinedName, Length) {
    expectRefused({""}, "empty");
    EXPECT_TRUE(checkDefinedName(std::string(255, 'a')).valid);
    expectRefused({std::string(256, 'a'), std::string(32767, 'a')}, "255");
    std::string kana;
    for (int i = 0; i < 255; ++i) kana += "あ";
    EXPECT_TRUE(checkDefinedName(kana).valid);
    expectRefused({kana + "あ"}, "255");
    // Characters outside the BMP take two UTF-16 units, as the application counts them.
    std::string wide;
    for (int i = 0; i < 128; ++i) wide += "\U00020BB7";
    expectRefused({wide}, "255");
}

TEST(DefinedName, ConstantsAndA1References) {
    expectRefused({"TRUE", "false", "True"}, "TRUE and FALSE");
    expectRefused({"A1", "a1", "IV65536", "AB12", "A65536", "A01", "R1", "C5"}, "cell reference");
    // Cells only in the larger grid of later formats are names here.
    expectAccepted({"IW1", "ANS1", "ABC1", "KEY1", "TAX2019", "RR1", "A65537", "XFD1048576",
                    "ABCD1", "A0", "A", "AB", "A1B", "TRUE1", "A1_"});
}

TEST(DefinedName, R1C1References) {
    expectRefused(
        {"R", "c", "RC", "rc", "CR", "R1C1", "r1c", "C5R2", "R2D2", "C1_FOO", "R10x", "R１", "RC2"},
        "R1C1");
    expectAccepted({"Rate", "Cost", "RCx", "R_1", "CRM", "Rx_1", "Row", "Col", "RRRR1"});
}

}  // namespace
}  // namespace xls::input
