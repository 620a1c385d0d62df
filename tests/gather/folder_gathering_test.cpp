// Gathering the workbooks of a real temporary folder, with the readers
// running over an in-memory object model.

#include "run/folder_gathering.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/fake_application.h"
#include "support/fake_named_books.h"
#include "support/native_path.h"
#include "support/recording_view.h"
#include "support/scripted_file_system.h"
#include "support/temp_folder.h"

namespace mokuji::gather {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SubRead : public ::testing::Test {
  protected:
    SubRead() : List1(true) {}

    GatherResult gather(const std::string& path, automation::ApplicationFactory factory = nullptr) {
        g_mokuji_path = path;
        if (!factory) factory = fake::named::factoryFor(world);
        return GatherFolder({g_mokuji_path, List1, columns, view, fs, factory, "mokuji"});
    }
    std::vector<std::string> entries() const {
        std::vector<std::string> out;
        for (std::size_t i = 0; i < List1.ListCount(); ++i) {
            EXPECT_TRUE(List1.Selected(i)) << List1.List(i);
            out.push_back(List1.List(i));
        }
        return out;
    }
    void expectWindowGivenBack() const {
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
    platform::ListBox List1;
    columns::ColumnTable columns;
    fake::RecordingView view;
    fake::ScriptedFileSystem fs;
    fake::named::World world;
};

TEST_F(SubRead, FolderWithListFileGathersItsWorkbooksAndReadsTheList) {
    for (auto name : {"00_目次.xls", "a.xls", "b.XLS", "c.xlsx", "a.csv", "a.xls.bak", ".x.xls"})
        dir.write(name, "x");
    std::filesystem::create_directories(dir.path() / "old.xls");
    std::filesystem::create_directories(dir.path() / "sub");
    dir.write("sub/d.xls", "x");
    world.books[dir.file("00_目次.xls")].names = {{"件名", std::pair{3, 3}}};

    GatherResult result = gather(dir.file("b.XLS"));
    EXPECT_THAT(entries(), ElementsAre("a.xls", "b.XLS"));
    // Spreadsheet files are noted as not gathered; a backup is none.
    EXPECT_THAT(result.notGathered, ElementsAre("a.csv", "c.xlsx"));
    EXPECT_EQ(result.listFile, dir.file("00_目次.xls"));
    EXPECT_FALSE(result.readFailure);
    EXPECT_EQ(opened(), dir.file("00_目次.xls"));
    EXPECT_EQ(columns.g_item_name[1], "件名");
    expectWindowGivenBack();
    EXPECT_THAT(view.captions,
                ElementsAre("mokuji - ファイル一覧取得中", "mokuji - [00_目次.xls]"));
}

TEST_F(SubRead, ListFileNamedInOtherLetterCaseIsFoundAndLeftOut) {
    for (auto name : {"00_目次.XLS", "a.xls"}) dir.write(name, "x");
    world.books[dir.file("00_目次.XLS")].names = {{"件名", std::pair{3, 3}}};
    GatherResult result = gather(dir.file("00_目次.xls"));
    EXPECT_THAT(entries(), ElementsAre("a.xls"));
    EXPECT_EQ(result.listFile, dir.file("00_目次.XLS"));
    EXPECT_EQ(opened(), dir.file("00_目次.XLS"));
    EXPECT_EQ(columns.g_item_name[1], "件名");
}

TEST_F(SubRead, WhereLetterCaseCountsEverySpellingOfTheListFileIsLeftOut) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows names ignore letter case: both spellings are one file";
#else
    for (auto name : {"00_目次.XLS", "00_目次.xls", "a.xls"}) dir.write(name, "x");
    world.books[dir.file("00_目次.XLS")].names = {{"件名", std::pair{3, 3}}};
    world.books[dir.file("00_目次.xls")] = world.books[dir.file("00_目次.XLS")];
    GatherResult result = gather(dir.file(""));
    EXPECT_THAT(entries(), ElementsAre("a.xls"));
    EXPECT_EQ(result.listFile, dir.file("00_目次.xls"));
#endif
}

TEST_F(SubRead, WithoutListFileTheFirstSortedWorkbookIsTheTemplate) {
    for (auto name : {"b.xls", "A.xls", "報告.xls"}) dir.write(name, "x");
    world.books[dir.file("A.xls")].names = {{"件名", std::pair{2, 2}}};
    GatherResult result = gather(dir.file("報告.xls"));
    EXPECT_THAT(entries(), ElementsAre("A.xls", "b.xls", "報告.xls"));
    EXPECT_EQ(result.listFile, "");
    EXPECT_EQ(opened(), dir.file("A.xls"));
    EXPECT_EQ(columns.g_item_name[1], "P_ファイル名");
    EXPECT_EQ(columns.g_item_name[2], "件名");
    EXPECT_THAT(view.captions, ElementsAre("mokuji - ファイル一覧取得中", "mokuji - [A.xls]"));
}

TEST_F(SubRead, OwnerFilesAreLeftOutAndAnUnreadableTemplateGivesWayToTheNext) {
    for (auto name : {"~$a.xls", "a.xls", "b.xls", "c.xls"}) dir.write(name, "x");
    world.books[dir.file("a.xls")].openFailure = automation::OpenFailure::Damaged;
    world.books[dir.file("b.xls")].names = {{"件名", std::pair{2, 2}}};
    GatherResult result = gather(dir.file(""));
    EXPECT_THAT(entries(), ElementsAre("a.xls", "b.xls", "c.xls"));
    EXPECT_FALSE(result.readFailure);
    ASSERT_EQ(result.unreadableTemplates.size(), 1u);
    EXPECT_EQ(result.unreadableTemplates[0].path, dir.file("a.xls"));
    EXPECT_EQ(columns.g_item_name[2], "件名");
    EXPECT_EQ(world.applicationsAlive, 0);

    // When none can be read, the first failure stops the run as before.
    world.books[dir.file("b.xls")].openFailure = automation::OpenFailure::Damaged;
    world.books[dir.file("c.xls")].openFailure = automation::OpenFailure::Damaged;
    result = gather(dir.file(""));
    ASSERT_TRUE(result.readFailure);
    EXPECT_EQ(result.readFailure->path, dir.file("a.xls"));
    EXPECT_THAT(result.unreadableTemplates, IsEmpty());
}

TEST_F(SubRead, EmptyOrVanishedFolderStartsNoApplicationAndKeepsTheTable) {
    dir.write("notes.txt", "x");
    List1.AddItem("from an earlier gathering");
    columns.g_item_name[1] = "前の列";
    fake::World counting;
    GatherResult result = gather(dir.file(""), fake::factoryFor(counting));
    EXPECT_THAT(entries(), IsEmpty());
    EXPECT_EQ(counting.applicationsCreated, 0);
    EXPECT_EQ(columns.g_item_name[1], "前の列");
    EXPECT_EQ(result.listFile, "");
    EXPECT_FALSE(result.readFailure);
    expectWindowGivenBack();
    EXPECT_EQ(view.caption(), "mokuji - ファイル一覧取得中");

    result = gather(dir.file(fake::nativePath("消えた/a.xls")), fake::factoryFor(counting));
    EXPECT_THAT(entries(), IsEmpty());
    EXPECT_EQ(counting.applicationsCreated, 0);
    EXPECT_FALSE(result.readFailure);
}

TEST_F(SubRead, DamagedListFileIsReportedAndTheWorkbooksStillGathered) {
    for (auto name : {"00_目次.xls", "a.xls"}) dir.write(name, "x");
    columns.g_item_name[1] = "前の列";
    world.books[dir.file("00_目次.xls")].openFailure = automation::OpenFailure::Damaged;
    GatherResult result = gather(dir.file(""));
    ASSERT_TRUE(result.readFailure);
    EXPECT_EQ(result.readFailure->path, dir.file("00_目次.xls"));
    EXPECT_EQ(result.readFailure->cause, automation::OpenFailure::Damaged);
    EXPECT_EQ(result.listFile, dir.file("00_目次.xls"));
    EXPECT_EQ(columns.g_item_name[1], "前の列");
    EXPECT_THAT(entries(), ElementsAre("a.xls"));
    EXPECT_EQ(world.applicationsAlive, 0);
    expectWindowGivenBack();
}

TEST_F(SubRead, ReaderRunsWhileTheWindowIsDisabled) {
    dir.write("a.xls", "x");
    world.books[dir.file("a.xls")].names = {{"件名", std::pair{2, 2}}};
    bool enabledWhenStarted = true;
    auto factory = [&]() -> std::unique_ptr<automation::Application> {
        enabledWhenStarted = view.enabled;
        return std::make_unique<fake::named::NamedApplication>(world);
    };
    gather(dir.file(""), factory);
    EXPECT_EQ(world.applicationsCreated, 1);
    EXPECT_FALSE(enabledWhenStarted);
    expectWindowGivenBack();
}

TEST_F(SubRead, BareWorkingPathGathersTheCurrentDirectory) {
    dir.write("a.xls", "x");
    fs.currentDirectoryIs = dir.file("");
    GatherResult result = gather("00_目次.xls");
    EXPECT_THAT(entries(), ElementsAre("a.xls"));
    // The template is named relative to the current directory, as the run
    // names the workbooks of the list.
    EXPECT_EQ(opened(), "a.xls");
}

}  // namespace
}  // namespace mokuji::gather
