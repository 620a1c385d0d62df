// Gathering the workbooks of a real temporary folder, with the readers
// running over our own engine on workbooks written for each case.

#include "run/folder_gathering.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/native_path.h"
#include "support/recording_view.h"
#include "support/scripted_file_system.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "support/watched_application.h"

namespace mokuji::run {
namespace {

using automation::Variant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A workbook whose one name 件名 is on the given cell.
void withSubject(const std::string& path, int row, int col) {
    fake::makeSource(path, {{"件名", row, col, Variant("件名の値")}});
}

class SubRead : public ::testing::Test {
  protected:
    SubRead() : List1(true) {}

    GatherResult gather(const std::string& path) {
        g_mokuji_path = path;
        auto start = [this]() {
            enabledWhenStarted = enabledWhenStarted && view.enabled;
            return fake::factoryFor(world)();
        };
        return GatherFolder({g_mokuji_path, List1, columns, view, fs, start, "mokuji"});
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < List1.ListCount(); ++i) {
            EXPECT_TRUE(List1.Selected(i)) << List1.List(i);
            out.push_back(List1.List(i));
        }
        return out;
    }
    // The readers run while the window is disabled.
    void expectWindowGivenBack() const {
        if (world.created > 0) {
            EXPECT_FALSE(enabledWhenStarted);
        }
        EXPECT_TRUE(view.enabled);
        EXPECT_EQ(view.pointer, 0);
        EXPECT_TRUE(List1.Enabled());
        ASSERT_GE(view.events.size(), 2u);
        EXPECT_EQ(view.events[0], "pointer:11");
        EXPECT_EQ(view.events[1], "disable");
        EXPECT_EQ(view.events[view.events.size() - 2], "enable");
        EXPECT_EQ(view.events.back(), "pointer:0");
    }
    std::string opened() const {
        for (const auto& entry : world.log)
            if (entry.starts_with("Open(")) return entry.substr(5, entry.find(',') - 5);
        return "";
    }

    fake::TempFolder dir;
    std::string g_mokuji_path;
    run::ListBox List1;
    list_file::ColumnTable columns;
    fake::RecordingView view;
    fake::ScriptedFileSystem fs;
    fake::Watch world;
    bool enabledWhenStarted = true;
};

TEST_F(SubRead, WhereLetterCaseCountsEverySpellingOfTheListFileIsLeftOut) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows names ignore letter case: both spellings are one file";
#else
    dir.write("a.xls", "x");
    withSubject(dir.file("00_目次.XLS"), 3, 3);
    withSubject(dir.file("00_目次.xls"), 3, 3);
    GatherResult result = gather(dir.file(""));
    EXPECT_THAT(entries(), ElementsAre("a.xls"));
    EXPECT_EQ(result.listFile, dir.file("00_目次.xls"));
#endif
}

TEST_F(SubRead, OwnerFilesAreLeftOutAndAnUnreadableTemplateGivesWayToTheNext) {
    for (auto name : {"~$a.xls", "a.xls", "c.xls"}) dir.write(name, "x");
    withSubject(dir.file("b.xls"), 2, 2);
    GatherResult result = gather(dir.file(""));
    EXPECT_THAT(entries(), ElementsAre("a.xls", "b.xls", "c.xls"));
    EXPECT_FALSE(result.readFailure);
    ASSERT_EQ(result.unreadableTemplates.size(), 1u);
    EXPECT_EQ(result.unreadableTemplates[0].path, dir.file("a.xls"));
    EXPECT_EQ(columns.g_item_name[2], "件名");
    EXPECT_EQ(world.alive, 0);
    expectWindowGivenBack();

    // When none can be read, the first failure stops the run as before.
    dir.write("b.xls", "x");
    result = gather(dir.file(""));
    ASSERT_TRUE(result.readFailure);
    EXPECT_EQ(result.readFailure->path, dir.file("a.xls"));
    EXPECT_THAT(result.unreadableTemplates, IsEmpty());
}

TEST_F(SubRead, EmptyOrVanishedFolderStartsNoApplicationAndKeepsTheTable) {
    dir.write("notes.txt", "x");
    List1.AddItem("from an earlier gathering");
    columns.g_item_name[1] = "前の列";
    GatherResult result = gather(dir.file(""));
    EXPECT_THAT(entries(), IsEmpty());
    EXPECT_EQ(world.created, 0);
    EXPECT_EQ(columns.g_item_name[1], "前の列");
    EXPECT_EQ(result.listFile, "");
    EXPECT_FALSE(result.readFailure);
    expectWindowGivenBack();
    EXPECT_EQ(view.caption(), "mokuji - ファイル一覧取得中");

    result = gather(dir.file(fake::nativePath("消えた/a.xls")));
    EXPECT_THAT(entries(), IsEmpty());
    EXPECT_EQ(world.created, 0);
    EXPECT_FALSE(result.readFailure);
}

TEST_F(SubRead, DamagedListFileIsReportedAndTheWorkbooksStillGathered) {
    for (auto name : {"00_目次.xls", "a.xls"}) dir.write(name, "x");
    columns.g_item_name[1] = "前の列";
    GatherResult result = gather(dir.file(""));
    ASSERT_TRUE(result.readFailure);
    EXPECT_EQ(result.readFailure->path, dir.file("00_目次.xls"));
    EXPECT_EQ(result.readFailure->cause, automation::OpenFailure::NotAWorkbook);
    EXPECT_EQ(result.listFile, dir.file("00_目次.xls"));
    EXPECT_EQ(columns.g_item_name[1], "前の列");
    EXPECT_THAT(entries(), ElementsAre("a.xls"));
    EXPECT_EQ(world.alive, 0);
    expectWindowGivenBack();
}

TEST_F(SubRead, BareWorkingPathGathersTheCurrentDirectory) {
    withSubject(dir.file("a.xls"), 2, 2);
    fs.currentDirectoryIs = dir.file("");
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    GatherResult result = gather("00_目次.xls");
    std::filesystem::current_path(cwd);
    EXPECT_THAT(entries(), ElementsAre("a.xls"));
    // The template is named relative to the current directory, as the run
    // names the workbooks of the list.
    EXPECT_EQ(opened(), "a.xls");
    EXPECT_EQ(columns.g_item_name[2], "件名");
}

}  // namespace
}  // namespace mokuji::run
