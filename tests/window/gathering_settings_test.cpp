// What a user may write to choose the gathered extensions, on the command
// line or in the settings file, and what each becomes.

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "window/gathering_settings.h"
#include "window/settings_file.h"

namespace mokuji::window {
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
    EXPECT_EQ(faulty->pattern(), "*.xls;*.xlsx;*.xlsm");
    EXPECT_NE(problem.find("f：extensions=："), std::string::npos) << problem;
}

// The subfolder switch follows the option, else the file; patterns of both
// apply, so that a one-off --exclude keeps the standing ones.
TEST(GatheringSettings, SubfoldersAndPatternsFromTheFileAndTheOptions) {
    const std::string file = "recursive = Yes\nexclude=*下書き*\nexclude = old/**\ninclude=*.xls\n";
    std::string problem;
    auto fromFile = ResolveGatheringSettings({}, file, "f", &problem);
    ASSERT_TRUE(fromFile);
    EXPECT_TRUE(fromFile->recursive);
    EXPECT_EQ(fromFile->exclude, (std::vector<std::string>{"*下書き*", "old/**"}));

    GatheringOptions options;
    options.recursive = false;
    options.exclude = {"~*"};
    auto both = ResolveGatheringSettings(options, file, "f", &problem);
    ASSERT_TRUE(both);
    EXPECT_FALSE(both->recursive);
    EXPECT_EQ(both->exclude, (std::vector<std::string>{"*下書き*", "old/**", "~*"}));
    EXPECT_EQ(both->include, (std::vector<std::string>{"*.xls"}));
    EXPECT_EQ(problem, "");

    auto faulty = ResolveGatheringSettings({}, "recursive=sometimes\n", "f", &problem);
    ASSERT_TRUE(faulty);
    EXPECT_FALSE(faulty->recursive);
    EXPECT_NE(problem.find("f：recursive=sometimes："), std::string::npos) << problem;

    // The list's format: the option outweighs the file; a value of neither
    // format is named and the folder's list followed.
    problem.clear();
    EXPECT_EQ(ResolveGatheringSettings({}, "list = XLSX\n", "f", &problem)->zipBasedList, true);
    options.zipBasedList = false;
    EXPECT_EQ(ResolveGatheringSettings(options, "list=xlsx\n", "f", &problem)->zipBasedList, false);
    EXPECT_EQ(problem, "");
    EXPECT_EQ(ResolveGatheringSettings({}, "list=ods\n", "f", &problem)->zipBasedList,
              std::nullopt);
    EXPECT_NE(problem.find("f：list=ods："), std::string::npos) << problem;
}

// A file that is there but is no settings file is named, never passed over
// for another candidate without a word.
TEST(GatheringSettings, ASettingsFileThatCannotBeOneIsNamed) {
    fake::TempFolder dir;
    const std::string missing = dir.file("missing.conf");
    const struct {
        std::string text;
        std::string problem;  // "" when the file is read
    } cases[] = {
        {"extensions=xlsx\n", ""},
        {std::string(64 * 1024 - 1, '#') + "\n", ""},
        {std::string(64 * 1024 + 1, '#'), "64KiBを超えている"},
        {std::string("\xFF\xFE"
                     "e\0x\0",
                     6),
         "UTF-16で保存されている"},
        {std::string("e\0x\0t\0", 6), "UTF-16で保存されている"},
    };
    for (const auto& c : cases) {
        const std::string path = dir.write("mokuji.conf", c.text);
        std::string problem;
        auto file = ReadSettingsFile({missing, path, missing}, &problem);
        EXPECT_EQ(file.has_value(), c.problem.empty()) << c.problem;
        if (file) {
            EXPECT_EQ(file->path, path);
        }
        EXPECT_EQ(problem.find(path + "：" + c.problem), c.problem.empty() ? std::string::npos : 0)
            << problem;
    }
}

}  // namespace
}  // namespace mokuji::window
