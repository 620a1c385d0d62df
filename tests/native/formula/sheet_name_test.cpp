#include <gtest/gtest.h>

#include <string_view>

#include "native/formula/sheet_name.h"

namespace xls::formula {
namespace {

TEST(SheetName, BareNames) {
    constexpr std::string_view names[] = {
        "Sheet1", "_data", "a.b", "目次", "集計_2024", "ｼｰﾄ", "Données", "ABCD1", "IVV", "RC1x",
    };
    for (std::string_view name : names) {
        EXPECT_FALSE(sheetNameNeedsQuotes(name)) << name;
        EXPECT_EQ(quotedSheetName(name), name);
    }
}

TEST(SheetName, NamesThatNeedQuotes) {
    constexpr std::string_view names[] = {
        "",           "My Sheet", "1st", "2024",    "a-b",  "a(1)",   "x'y", "a!b",
        "シート　1",  // ideographic space
        "売上、前期", "（仮）",   "A1",  "iv65536", "XFD1", "ABC123", "R",   "c",
        "RC",         "R1C1",     "r12", "C3",
    };
    for (std::string_view name : names) EXPECT_TRUE(sheetNameNeedsQuotes(name)) << name;
}

TEST(SheetName, QuotingDoublesEmbeddedQuotes) {
    EXPECT_EQ(quotedSheetName("My Sheet"), "'My Sheet'");
    EXPECT_EQ(quotedSheetName("It's"), "'It''s'");
    EXPECT_EQ(quotedSheetName("''"), "''''''");
    EXPECT_EQ(quotedSheetName("A1"), "'A1'");
}

}  // namespace
}  // namespace xls::formula
