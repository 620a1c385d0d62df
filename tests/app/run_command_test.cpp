// The run command without a screen: what the list-file dialog is asked, what
// a choice, a multiple selection or a cancel leads to, and how the button
// and the menu item differ when nothing is listed.

#include "window/run_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "app/startup_fakes.h"
#include "dialogs/scripted_dialog_layer.h"
#include "run/list_generation_driver.h"
#include "support/recording_view.h"

namespace mokuji::app {
namespace {

using namespace std::string_literals;
using fake::nativePath;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

using Opened = std::pair<std::string, std::string>;

class RunCommand : public ::testing::Test, protected fake::StartupWorld {
  protected:
    RunCommand() {
        fs.addFolder(nativePath("/data/a"));
        fs.addFile(nativePath("/data/a/x.xls"));
        fs.addFile(nativePath("/data/a/00_目次.xls"));
        columns::FillPropertyNames(window.prop_name);
    }

    std::optional<RunEnd> button() { return cmd_run_Click(window, context(), host); }
    std::optional<RunEnd> menu() { return mnu_make_Click(window, context(), host); }

    dialogs::testing::ScriptedDialogLayer layer;
    std::shared_ptr<dialogs::testing::FakeOwner> owner =
        std::make_shared<dialogs::testing::FakeOwner>();
    DialogHost host{layer, owner};
    MainWindow window;
};

TEST_F(RunCommand, TheDialogOffersTheListFileFirstPresetWithTheWorkingPath) {
    layer.cancelFile();
    button();
    ASSERT_EQ(layer.opens.size(), 1u);
    const dialogs::FileDialogRequest& asked = layer.opens[0];
    EXPECT_EQ(asked.title, "目次ファイル読込");
    EXPECT_EQ(asked.filter,
              "目次ファイル (00_目次.xls)\0"
              "00_目次.xls\0EXCEL Files (*.xls;*.xlsx;*.xlsm)\0*.xls;*.xlsx;*.xlsm\0"s);
    EXPECT_EQ(asked.filterIndex, 1);
    EXPECT_EQ(asked.flags, 2624004);
    EXPECT_EQ(asked.initialDir, nativePath("/home/user"));
    EXPECT_EQ(asked.owner, owner->windowHandle());
    EXPECT_THAT(asked.fileBuffer, StartsWith("00_目次.xls\0"s));
}

TEST_F(RunCommand, ChoosingAWorkbookListsItsFolderAndOpensTheListFileThere) {
    gathering.names = {"x.xls"};
    layer.choose(nativePath("/data/a/x.xls"), "x.xls");
    // Without the application nothing can be written; the list file of an
    // earlier run is opened all the same.
    EXPECT_EQ(button(), RunEnd::ListNotSaved);
    EXPECT_EQ(window.g_mokuji_path, nativePath("/data/a/x.xls"));
    EXPECT_THAT(gathering.calledWith, ElementsAre(nativePath("/data/a/x.xls")));
    EXPECT_EQ(applications, 1);
    EXPECT_EQ(view.captions.back(), "tamuE1 EXCELのデータベース");
    EXPECT_THAT(shell.documents,
                ElementsAre(Opened(nativePath("/data/a/00_目次.xls"), nativePath("/"))));

    // The next dialog starts from that choice.
    layer.cancelFile();
    menu();
    EXPECT_THAT(layer.opens[1].fileBuffer, StartsWith(nativePath("/data/a/x.xls\0"s)));
}

TEST_F(RunCommand, SeveralChosenFilesNameTheirFolder) {
    gathering.names = {"x.xls", "y.xls"};
    layer.choose(nativePath("/data/a\0x.xls\0y.xls"s));
    menu();
    EXPECT_EQ(window.g_mokuji_path, nativePath("/data/a/x.xls"));
    EXPECT_THAT(gathering.calledWith, ElementsAre(nativePath("/data/a/x.xls")));
    EXPECT_THAT(shell.documents,
                ElementsAre(Opened(nativePath("/data/a/00_目次.xls"), nativePath("/"))));
}

TEST_F(RunCommand, AThousandNamesFitAndASelectionThatDoesNotIsTold) {
    gathering.names = {"x.xls"};
    std::string thousand = nativePath("/data/a") + '\0';
    for (int i = 1; i <= 1000; ++i)
        thousand += "アンケート回答_" + std::to_string(10000 + i) + ".xls\0"s;
    layer.choose(thousand);
    EXPECT_EQ(menu(), RunEnd::ListNotSaved);
    EXPECT_EQ(window.g_mokuji_path, nativePath("/data/a/アンケート回答_10001.xls"));
    view.messages.clear();  // the application is missing

    // Twice as many no longer fit: the user hears why, and the earlier list
    // is not made again as after a cancel.
    layer.choose(thousand + thousand.substr(thousand.find('\0') + 1));
    EXPECT_EQ(button(), std::nullopt);
    EXPECT_THAT(view.messages, ElementsAre(kTooManyChosenMessage));
    EXPECT_EQ(applications, 1);
    EXPECT_EQ(window.g_mokuji_path, nativePath("/data/a/アンケート回答_10001.xls"));
}

TEST(WorkingPathOfChoice, OneFileKeepsItsPathSeveralGiveTheFirstInTheirFolder) {
    EXPECT_EQ(WorkingPathOfChoice(nativePath("/data/a/x.xls")), nativePath("/data/a/x.xls"));
    EXPECT_EQ(WorkingPathOfChoice(nativePath("/data/a\0x.xls\0y.xls"s)),
              nativePath("/data/a/x.xls"));
    EXPECT_EQ(WorkingPathOfChoice(nativePath("/\0x.xls\0y.xls"s)), nativePath("/x.xls"));
}

TEST_F(RunCommand, CancellingWithNothingListedLeavesTheButtonSilentAndTheMenuSpeaks) {
    layer.cancelFile();
    EXPECT_EQ(button(), std::nullopt);
    EXPECT_THAT(view.messages, IsEmpty());

    layer.cancelFile();
    EXPECT_EQ(menu(), std::nullopt);
    EXPECT_THAT(view.messages, ElementsAre("EXCELのシートがありません。"));
    EXPECT_THAT(gathering.calledWith, IsEmpty());
    EXPECT_EQ(applications, 0);
    EXPECT_THAT(shell.documents, IsEmpty());
    EXPECT_EQ(window.g_mokuji_path, "00_目次.xls");
}

TEST_F(RunCommand, CancellingAfterAnEarlierChoiceRunsAgainOnWhatItGathered) {
    gathering.names = {"x.xls"};
    layer.choose(nativePath("/data/a/x.xls"));
    button();
    layer.cancelFile();
    EXPECT_EQ(button(), RunEnd::ListNotSaved);
    EXPECT_THAT(gathering.calledWith, ElementsAre(nativePath("/data/a/x.xls")));
    EXPECT_EQ(applications, 2);
    EXPECT_EQ(shell.documents.size(), 2u);
    EXPECT_EQ(window.g_mokuji_path, nativePath("/data/a/x.xls"));
}

TEST_F(RunCommand, WorkbooksPassedOverForTheTemplateAreNamedAfterTheRun) {
    gathering.names = {"w.xls", "x.xls"};
    gathering.unreadableTemplates = {
        {nativePath("/data/a/w.xls"), "damaged", automation::OpenFailure::Damaged}};
    layer.choose(nativePath("/data/a/x.xls"));
    menu();
    ASSERT_EQ(view.messages.size(), 2u);  // the application is missing, too
    EXPECT_THAT(view.messages[1], ::testing::HasSubstr(nativePath("/data/a/w.xls") + "（"));
}

TEST_F(RunCommand, AListFileThatCannotBeReadIsNeverWrittenNotEvenAfterACancel) {
    gathering.names = {"x.xls"};
    gathering.readFailure = gather::ReadFailure{nativePath("/data/a/00_目次.xls"), "damaged"};
    layer.choose(nativePath("/data/a/00_目次.xls"));
    EXPECT_EQ(menu(), RunEnd::ReadFailed);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0], ::testing::HasSubstr("damaged"));

    layer.cancelFile();
    EXPECT_EQ(menu(), RunEnd::ReadFailed);
    EXPECT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(applications, 0);
    EXPECT_THAT(shell.documents, IsEmpty());
}

}  // namespace
}  // namespace mokuji::app
