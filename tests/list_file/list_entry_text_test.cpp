#include "list_file/list_entry_text.h"

#include <gtest/gtest.h>

namespace mokuji::run {
namespace {

TEST(CellEntry, PlainNumbersWithASignAreNotFormulas) {
    for (const char* t : {"-5", "+3", "-1.5", "+.5", "-5.", "-1e3", "+2E-4"})
        EXPECT_FALSE(list_file::WouldEnterAsFormula(t)) << t;
}

TEST(CellEntry, LeadingFormulaCharactersMakeAFormula) {
    for (const char* t : {"=1+2", "=", "-", "+", "@", "-x", "+81 3", "@SUM(A1)", "-1e", "-1.2.3",
                          "-.", "-5%", "- 5"})
        EXPECT_TRUE(list_file::WouldEnterAsFormula(t)) << t;
}

TEST(CellEntry, OtherTextIsEnteredAsIs) {
    for (const char* t : {"", "a=b", " =1", "1-2", "鈴木"}) {
        EXPECT_FALSE(list_file::WouldEnterAsFormula(t)) << t;
        EXPECT_EQ(list_file::TextEntry(t), automation::Variant(t)) << t;
    }
}

TEST(CellEntry, GuardedTextsGetOneApostrophe) {
    EXPECT_EQ(list_file::TextEntry("=1+2"), automation::Variant("'=1+2"));
    EXPECT_EQ(list_file::TextEntry("-x"), automation::Variant("'-x"));
    EXPECT_EQ(list_file::TextEntry("'quoted"), automation::Variant("''quoted"));
    EXPECT_EQ(list_file::TextEntry("-5"), automation::Variant("-5"));
}

}  // namespace
}  // namespace mokuji::run
