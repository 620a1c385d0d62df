// What a user may write to choose the gathered extensions, on the command
// line or in the settings file, and what each becomes.

#include <gtest/gtest.h>

#include "app/gathering_settings.h"

namespace mokuji::app {
namespace {

TEST(GatheringSettings, ExtensionListsAsUsersWriteThem) {
    const std::pair<const char*, const char*> cases[] = {
        {"xls,xlsx,xlsm", "*.xls;*.xlsx;*.xlsm"},
        {" .XLS , Xlsx ", "*.xls;*.xlsx"},
        {"xlsx,xlsx", "*.xlsx"},
        {"xls;xlsx", nullptr},
        {"*.xlsx", nullptr},
        {"xls,", nullptr},
        {"", nullptr},
        {"xls x", nullptr},
    };
    for (const auto& [text, pattern] : cases) {
        auto list = ParseExtensions(text);
        if (!pattern) {
            EXPECT_FALSE(list) << text;
            continue;
        }
        ASSERT_TRUE(list) << text;
        EXPECT_EQ(GatheringSettings{*list}.pattern(), pattern) << text;
    }
}

TEST(GatheringSettings, TheOptionComesOffTheFrontOfEitherCommandLine) {
    struct Case {
        std::string line;
        bool given;
        std::string value, rest;
    } cases[] = {
        {"--extensions xls,xlsx C:\\回答 フォルダ", true, "xls,xlsx", "C:\\回答 フォルダ"},
        {"--extensions=xlsx  \"C:\\a b\"", true, "xlsx", "\"C:\\a b\""},
        {"C:\\--extensions xlsx", false, "", "C:\\--extensions xlsx"},
        {"--extensionsxlsx a", false, "", "--extensionsxlsx a"},
    };
    for (auto c : cases) {
        std::string line = c.line;
        ExtensionsOption o = TakeExtensionsOption(line);
        EXPECT_EQ(o.given, c.given) << c.line;
        EXPECT_EQ(o.value, c.value) << c.line;
        EXPECT_EQ(line, c.rest) << c.line;
    }
    char a0[] = "mokuji", a1[] = "--extensions", a2[] = "xlsx", a3[] = "/tmp/回答";
    char* argv[] = {a0, a1, a2, a3, nullptr};
    int argc = 4;
    ExtensionsOption o = TakeExtensionsOption(argc, argv);
    EXPECT_TRUE(o.given);
    EXPECT_EQ(o.value, "xlsx");
    ASSERT_EQ(argc, 2);
    EXPECT_STREQ(argv[1], "/tmp/回答");
    EXPECT_EQ(argv[2], nullptr);
}

TEST(GatheringSettings, TheOptionOutweighsTheFileAndAFaultyFileFallsBack) {
    const std::string file = "\xEF\xBB\xBF# mine\r\n[gathering]\r\nextensions = xls, xlsx\r\n";
    std::string problem;
    auto fromFile =
        ResolveGatheringSettings({}, file, "/home/u/.config/mokuji/mokuji.conf", &problem);
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->pattern(), "*.xls;*.xlsx");
    EXPECT_EQ(problem, "");

    auto fromOption = ResolveGatheringSettings({true, "xlsm"}, file, "f", &problem);
    ASSERT_TRUE(fromOption);
    EXPECT_EQ(fromOption->pattern(), "*.xlsm");

    EXPECT_FALSE(ResolveGatheringSettings({true, "xlsm;xls"}, file, "f", &problem));
    EXPECT_NE(problem.find("--extensions xlsm;xls："), std::string::npos) << problem;

    problem.clear();
    auto faulty = ResolveGatheringSettings({}, "extensions=*.xlsx\nextensions=\n", "f", &problem);
    ASSERT_TRUE(faulty);
    EXPECT_EQ(faulty->pattern(), "*.xls;*.xlsx;*.xlsm");
    EXPECT_NE(problem.find("f：extensions=："), std::string::npos) << problem;
}

}  // namespace
}  // namespace mokuji::app
