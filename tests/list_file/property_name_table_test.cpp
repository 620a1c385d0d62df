#include "list_file/property_names.h"

#include <gtest/gtest.h>

namespace mokuji::window {
namespace {

class PropertyNameTableTest : public ::testing::Test {
  protected:
    void SetUp() override { list_file::FillPropertyNames(prop_name); }
    list_file::PropertyNameTable prop_name;
};

TEST_F(PropertyNameTableTest, ReservedNamesSelectTheirIndex) {
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_タイトル"), 1);
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_作成日時"), 11);
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_マルチメディア クリップの数"), 28);
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_文字数 (スペースを含む)"), 30);
}

TEST_F(PropertyNameTableTest, PrefixOfALongerNameIsNotTakenForIt) {
    // Entry 30 begins with the text of entry 16.
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_文字数"), 16);
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_文字数 (スペースを含む)"), 30);
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_文字数 "), 0);
}

TEST_F(PropertyNameTableTest, MatchingIsExact) {
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_ タイトル"), 0);
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "p_タイトル"), 0);
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P＿タイトル"), 0);  // full-width low line
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_マルチメディア　クリップの数"),
              0);  // full-width blank
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_文字数（スペースを含む）"),
              0);  // full-width brackets
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_"),
              0);  // the unused entry 0 is never offered
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_ファイル名"), 0);
    EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_Foo"), 0);
}

TEST_F(PropertyNameTableTest, EveryUsedEntryIsDistinctAndNonEmpty) {
    for (int i = 1; i <= 30; ++i) {
        ASSERT_FALSE(prop_name[i].empty()) << i;
        EXPECT_EQ(list_file::PropertyIndexOf(prop_name, "P_" + prop_name[i]), i) << prop_name[i];
    }
    EXPECT_TRUE(prop_name[0].empty());
}

}  // namespace
}  // namespace mokuji::window
