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
    EXPECT_EQ(faulty->pattern(), "*.xls");
    EXPECT_NE(problem.find("f：extensions=："), std::string::npos) << problem;
}

}  // namespace
}  // namespace mokuji::app
