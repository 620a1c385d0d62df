#include "os/path_names.h"

#include <gtest/gtest.h>

namespace mokuji::os {
namespace {

TEST(PathNames, FolderKeepsTheTrailingSeparator) {
    EXPECT_EQ(FolderOf(R"(C:\data\a.xls)", '\\'), R"(C:\data\)");
    EXPECT_EQ(FolderOf(R"(C:\data\)", '\\'), R"(C:\data\)");
    EXPECT_EQ(FolderOf("a.xls", '\\'), "");
    EXPECT_EQ(FolderOf("", '\\'), "");
    EXPECT_EQ(FolderOf("/home/u/データ/00_目次.xls", '/'), "/home/u/データ/");
}

TEST(PathNames, FileNameNeedsASeparator) {
    EXPECT_EQ(FileNameOf(R"(C:\data\a.xls)", '\\'), "a.xls");
    // A bare name has no folder part and so no file-name part either.
    EXPECT_EQ(FileNameOf("a.xls", '\\'), "");
    EXPECT_EQ(FileNameOf(R"(C:\data\)", '\\'), "");
    EXPECT_EQ(FileNameOf("/tmp/アンケート 第1回.xls", '/'), "アンケート 第1回.xls");
}

TEST(PathNames, OnlyTheGivenSeparatorCounts) {
    EXPECT_EQ(FolderOf("C:/data/a.xls", '\\'), "");
    EXPECT_EQ(FileNameOf("C:/data/a.xls", '\\'), "");
    EXPECT_EQ(FolderOf(R"(dir\sub/a.xls)", '/'), R"(dir\sub/)");
}

TEST(PathNames, ExtensionIsAfterTheLastDotAnywhere) {
    EXPECT_EQ(ExtensionOf(R"(C:\data\a.b.xls)"), "xls");
    EXPECT_EQ(ExtensionOf(R"(C:\data.d\file)"), R"(d\file)");
    EXPECT_EQ(ExtensionOf("name."), "");
    EXPECT_EQ(ExtensionOf("noext"), "");
    EXPECT_EQ(ExtensionOf("00_目次.XLS"), "XLS");
}

TEST(PathNames, DefaultSeparatorIsThePlatformOne) {
    std::string path = std::string("folder") + kPathSeparator + "a.xls";
    EXPECT_EQ(FolderOf(path), std::string("folder") + kPathSeparator);
    EXPECT_EQ(FileNameOf(path), "a.xls");
}

}  // namespace
}  // namespace mokuji::os
