// The patterns users give to leave workbooks out of a run or keep only some.

#include <gtest/gtest.h>

#include "run/name_filter.h"

namespace mokuji::run {
namespace {

TEST(NameFilter, ShellPatternsOnRelativePaths) {
    const struct {
        const char* pattern;
        const char* path;
        bool matches;
        bool ignoreCase = false;
    } cases[] = {
        {"*.xls", "回答.xls", true},
        {"*.xls", "回答.XLS", false},
        {"*.xls", "回答.XLS", true, true},
        {"?答.xls", "回答.xls", true},  // one character, not one byte
        {"??.xls", "回答.xls", true},
        {"[回返]答.xls", "返答.xls", true},
        {"[!回]答.xls", "回答.xls", false},
        {"[a-c]1.xls", "b1.xls", true},
        {"[a-c]1.xls", "B1.xls", true, true},
        {"[]]x", "]x", true},
        {"[x", "[x", true},  // no closing bracket: an ordinary "["
        {"*", "a/b.xls", false},
        {"*/*.xls", "営業部/a.xls", true},
        {"**/*.xls", "a/b/c.xls", true},
        {"営業部/**", "営業部/2026/a.xls", true},
        {"a?b", "a/b", false},
        {"", "", true},
        {"*", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GlobMatches(c.pattern, c.path, c.ignoreCase), c.matches)
            << c.pattern << " on " << c.path;
}

TEST(NameFilter, APatternWithoutSlashTriesEveryPartOfThePath) {
    NameFilter filter{{}, {"下書き*", "old/**"}, false};
    EXPECT_FALSE(filter.keeps("下書き_1.xls"));
    EXPECT_FALSE(filter.keeps("営業部/下書き/a.xls"));  // a folder of that name
    EXPECT_FALSE(filter.keeps("old/a.xls"));
    EXPECT_TRUE(filter.keeps("営業部/old/a.xls"));  // "/" ties it to the top
    EXPECT_TRUE(filter.keeps("営業部/回答.xls"));

    filter = {{"回答_*"}, {"*_old.xls"}, false};
    EXPECT_TRUE(filter.keeps("営業部/回答_1.xls"));
    EXPECT_FALSE(filter.keeps("営業部/回答_1_old.xls"));  // leaving out wins
    EXPECT_FALSE(filter.keeps("営業部/メモ.xls"));
}

}  // namespace
}  // namespace mokuji::run
