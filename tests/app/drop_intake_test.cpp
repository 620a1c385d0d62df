// Drops onto the window without a screen: which working path a drop leads
// to, and that the run it starts ends as a drop must end.

#include "window/drop_intake.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "app/startup_fakes.h"
#include "run/list_generation_driver.h"
#include "support/recording_view.h"

namespace mokuji::app {
namespace {

using fake::nativePath;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class Drop : public ::testing::Test, protected fake::StartupWorld {
  protected:
    Drop() {
        fs.addFolder(nativePath("/data/a"));
        fs.addFolder(nativePath("/data/b"));
        fs.addFile(nativePath("/data/a/x.xls"));
        fs.addFile(nativePath("/data/a/notes.txt"));
        fs.addFile(nativePath("/data/b/00_目次.xls"));
        fs.addFolder(nativePath("/"));
        columns::FillPropertyNames(window.prop_name);
    }

    std::optional<RunEnd> drop(const std::vector<std::string>& paths) {
        return sub_OLEDragDrop(paths, window, context());
    }

    MainWindow window;
};

struct DropCase {
    const char* name;
    std::vector<std::string> dropped;
    std::string workingPath;
};

class DropWorkingPath : public Drop, public ::testing::WithParamInterface<DropCase> {};

TEST_P(DropWorkingPath, TheLastItemNamesTheFolderThatIsGathered) {
    gathering.names = {"x.xls"};
    drop(GetParam().dropped);
    EXPECT_EQ(window.g_mokuji_path, GetParam().workingPath);
    EXPECT_THAT(gathering.calledWith, ElementsAre(GetParam().workingPath));
}

INSTANTIATE_TEST_SUITE_P(
    Items, DropWorkingPath,
    ::testing::Values(
        // A folder is gathered itself and its list file is named in it.
        DropCase{"Folder", {nativePath("/data/b")}, nativePath("/data/b/00_目次.xls")},
        DropCase{
            "FolderWithSeparator", {nativePath("/data/b/")}, nativePath("/data/b/00_目次.xls")},
        DropCase{"Root", {nativePath("/")}, nativePath("/00_目次.xls")},
        // A file, workbook or not, keeps its path: its folder is gathered.
        DropCase{"Workbook", {nativePath("/data/a/x.xls")}, nativePath("/data/a/x.xls")},
        DropCase{
            "ListFile", {nativePath("/data/b/00_目次.xls")}, nativePath("/data/b/00_目次.xls")},
        DropCase{
            "NotAWorkbook", {nativePath("/data/a/notes.txt")}, nativePath("/data/a/notes.txt")},
        // Of items from two folders only the last one delivered counts.
        DropCase{"FileThenFolder",
                 {nativePath("/data/a/x.xls"), nativePath("/data/a"), nativePath("/data/b")},
                 nativePath("/data/b/00_目次.xls")},
        DropCase{
            "FolderThenFile",
            {nativePath("/data/b"), nativePath("/data/a/notes.txt"), nativePath("/data/a/x.xls")},
            nativePath("/data/a/x.xls")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Drop, AFolderWithWorkbooksIsListedAndItsListFileOpened) {
    gathering.names = {"c.xls", "d.xls"};
    // Without the application the run cannot write; what it does around
    // that is what a drop adds.
    EXPECT_EQ(drop({nativePath("/data/b")}), RunEnd::ListNotSaved);
    EXPECT_EQ(applications, 1);
    EXPECT_THAT(view.messages, ElementsAre(engine::kNoApplicationMessage));
    EXPECT_EQ(view.captions.back(), "tamuE1 EXCELのデータベース");
    EXPECT_THAT(shell.documents, ElementsAre(std::pair<std::string, std::string>(
                                     nativePath("/data/b/00_目次.xls"), nativePath("/"))));
}

TEST_F(Drop, AFolderWithoutWorkbooksIsToldAndNothingIsWrittenOrOpened) {
    // The folder's list file is there, so opening it would be possible, and
    // an entry left from an earlier run must not count as gathered.
    window.List1.AddItem("left from an earlier run.xls");
    EXPECT_EQ(drop({nativePath("/data/b")}), RunEnd::NothingGathered);
    EXPECT_THAT(view.messages, ElementsAre("EXCELのシートがありません。"));
    EXPECT_EQ(applications, 0);
    EXPECT_THAT(shell.documents, IsEmpty());
    EXPECT_THAT(view.captions, IsEmpty());
}

TEST_F(Drop, ADropWithoutFileNamesChangesNothing) {
    window.g_mokuji_path = nativePath("/earlier/00_目次.xls");
    window.List1.AddItem("earlier.xls");
    EXPECT_EQ(drop({}), std::nullopt);
    EXPECT_EQ(window.g_mokuji_path, nativePath("/earlier/00_目次.xls"));
    EXPECT_EQ(window.List1.ListCount(), 1u);
    EXPECT_THAT(gathering.calledWith, IsEmpty());
    EXPECT_THAT(view.events, IsEmpty());
    EXPECT_EQ(applications, 0);
    EXPECT_THAT(shell.documents, IsEmpty());
}

TEST_F(Drop, AFolderThatCannotBeListedIsNamedAndTheWindowGivenBack) {
    StartupContext ctx{fs,
                       shell,
                       view,
                       {},
                       [](const gather::GatherContext& g) -> gather::GatherResult {
                           g.view.setEnabled(false);
                           throw platform::FileSystemError("permission denied");
                       },
                       "",
                       {}};
    EXPECT_EQ(sub_OLEDragDrop({nativePath("/data/a")}, window, ctx), RunEnd::ReadFailed);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0], ::testing::HasSubstr(nativePath("/data/a/") + "（"));
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.pointer, platform::kPointerDefault);
    EXPECT_THAT(shell.documents, IsEmpty());
}

}  // namespace
}  // namespace mokuji::app
