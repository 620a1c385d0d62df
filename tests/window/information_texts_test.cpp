// The texts behind the menu items "バージョン", "ヘルプ" and "名前の予約語":
// their line ends, the lines that are easy to get wrong, and that showing
// them does nothing else.

#include "window/information_texts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/recording_view.h"
#include "window/main_window.h"
#include "window/startup_fakes.h"

namespace mokuji::window {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// Splits a message at its CR LF line ends; fails on a text that does not
// end in one or holds a lone CR or LF.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            ADD_FAILURE() << "last line without CR LF: " << text.substr(start);
            break;
        }
        std::string line = text.substr(start, end - start);
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

TEST(VersionNumber, MinorAndRevisionHaveAtLeastTwoDigits) {
    EXPECT_EQ(VersionNumberText({0, 3, 0}), "0.03.00");
    EXPECT_EQ(VersionNumberText({1, 12, 5}), "1.12.05");
    EXPECT_EQ(VersionNumberText({10, 123, 100}), "10.123.100");
    EXPECT_EQ(VersionNumberText(OwnVersion()), "0.03.00");
}

TEST(VersionText, NamesTheProgramAndVersionFirstAndTheProjectLast) {
    std::vector<std::string> lines = linesOf(VersionText("tamuE1"));
    ASSERT_EQ(lines.size(), 14u);
    // The caption's words, then a full-width blank and two half-width ones.
    EXPECT_EQ(lines[0], "tamuE1 EXCELのデータベース\u3000  Version 0.03.00");
    EXPECT_THAT(lines[0], StartsWith(StartupCaption("tamuE1")));
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[2], "    ＜メリット＞");
    EXPECT_EQ(lines[8], "    ＜機能＞");
    EXPECT_EQ(lines[10], "      (2)名前付けされたセルだけでなく、行、列番号の指定もできます。");
    EXPECT_EQ(lines[11], "");
    EXPECT_THAT(lines[12], HasSubstr("mokuji"));
    EXPECT_THAT(lines[13], HasSubstr("mokuji"));
    EXPECT_EQ(linesOf(VersionText("x", {2, 1, 7}))[0],
              "x EXCELのデータベース\u3000  Version 2.01.07");
}

TEST(HelpText, KeepsItsBlanksAndEndsWithAnEmptyLine) {
    std::vector<std::string> lines = linesOf(HelpText());
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[0], "＜便利機能＞");
    EXPECT_EQ(lines[1],
              "\u3000(1)アイコンに目次ファイルをドラッグドロップする事で目次を再作成できます。");
    EXPECT_EQ(lines[2], "     但し、2つ以上の目次ファイルを同時に指定できません。");
    EXPECT_EQ(lines[4], "＜仕様上の制約＞");
    EXPECT_EQ(lines[6], "     2つ以上同時に設定できません。");
    EXPECT_EQ(lines[7], "");
}

TEST(ReservedNamesText, ListsEveryPropertyOfTheTableInOrder) {
    list_file::PropertyNameTable prop_name;
    list_file::FillPropertyNames(prop_name);
    std::vector<std::string> lines = linesOf(ReservedNamesText(prop_name));
    ASSERT_EQ(lines.size(), 33u);
    EXPECT_EQ(lines[0], "＜名前の予約語＞");
    EXPECT_EQ(lines[1], "プロパティ内容を一覧に設定する為の名前");
    for (int i = 1; i <= 30; ++i) {
        const std::string& line = lines[static_cast<std::size_t>(i) + 1];
        EXPECT_EQ(line, "P_" + prop_name[static_cast<std::size_t>(i)]) << "entry " << i;
        // What the user is told to write must select that very property.
        EXPECT_EQ(list_file::PropertyIndexOf(prop_name, line), i) << line;
    }
    EXPECT_EQ(lines[2], "P_タイトル");
    EXPECT_EQ(lines[31], "P_文字数 (スペースを含む)");
    EXPECT_EQ(lines[32], "P_フォルダ名");
}

TEST(InformationMenu, EachItemShowsItsTextAndDoesNothingElse) {
    fake::RecordingView view;
    fake::PathFileSystem fs;
    list_file::PropertyNameTable prop_name;
    list_file::FillPropertyNames(prop_name);
    mnu_version_Click(view, fs);
    mnu_help1_Click(view);
    mnu_help_予約語_Click(view, prop_name);
    EXPECT_THAT(view.messages, ElementsAre(VersionText(fs.programBaseName()), HelpText(),
                                           ReservedNamesText(prop_name)));
    EXPECT_THAT(view.events, ElementsAre("message", "message", "message"));
}

}  // namespace
}  // namespace mokuji::window
