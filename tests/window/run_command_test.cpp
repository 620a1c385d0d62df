// The run command and drops without a screen, over generated workbooks: the
// rows that both windows play too, then what only the logic can see (the
// dialog's request, a selection too long for it, names the gathering passed
// over).

#include "window/run_command.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

#include "automation/native/native_application.h"
#include "dialogs/scripted_dialog_layer.h"
#include "window/drop_intake.h"
#include "window/run_command_rows.h"
#include "window/startup_fakes.h"
#ifdef _WIN32
#include "os/win32/win32_file_system.h"
#else
#include "os/posix_file_system.h"
#endif

namespace mokuji::window {
namespace {

using namespace std::string_literals;
using fake::nativePath;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;

#ifdef _WIN32
using NativeFileSystem = os::win::Win32FileSystem;
#else
using NativeFileSystem = os::PosixFileSystem;
#endif

class RunCommand : public ::testing::Test {
  protected:
    explicit RunCommand(bool damagedList = false) : folder(damagedList) {
        list_file::FillPropertyNames(window.prop_name);
    }

    StartupContext context() {
        return {fs,
                shell,
                view,
                ::xls::native::createApplication,
                [this](const run::GatherContext& g) {
                    ++gathers;
                    run::GatherResult result = run::GatherFolder(g);
                    if (passOver) result.unreadableTemplates.push_back(*passOver);
                    return result;
                },
                {},
                [] {}};
    }
    std::optional<RunEnd> run(run_rows::Via via) {
        return via == run_rows::Via::Button ? cmd_run_Click(window, context(), host)
                                            : mnu_make_Click(window, context(), host);
    }

    run_rows::RowFolder folder;
    NativeFileSystem fs;
    fake::RecordingShell shell;
    fake::RecordingView view;
    int gathers = 0;
    std::optional<list_file::ReadFailure> passOver;
    dialogs::testing::ScriptedDialogLayer layer;
    std::shared_ptr<dialogs::testing::FakeOwner> owner =
        std::make_shared<dialogs::testing::FakeOwner>();
    DialogHost host{layer, owner};
    MainWindow window;
};

struct RunCommandRows : RunCommand, ::testing::WithParamInterface<run_rows::Row> {
    RunCommandRows() : RunCommand(GetParam().damagedList) {}
};

TEST_P(RunCommandRows, PlaysTheRow) {
    const run_rows::Row& row = GetParam();
    for (const run_rows::Step& step : row.steps) {
        if (step.via == run_rows::Via::Drop) {
            sub_OLEDragDrop(run_rows::dropped(step, folder), window, context());
            continue;
        }
        if (step.chosen.empty()) {
            layer.cancelFile();
        } else if (step.chosen.size() == 1) {
            layer.choose(folder.at(step.chosen[0]), run_rows::nameOf(step.chosen[0]));
        } else {
            std::string names = folder.path();
            for (const std::string& name : step.chosen) names += '\0' + name;
            layer.choose(names);
        }
        run(step.via);
    }
    run_rows::Seen seen{
        {}, view.messages, gathers, {}, window.g_mokuji_path, view.caption(), fs.programBaseName()};
    for (const auto& open : layer.opens)
        seen.presets.push_back(open.fileBuffer.substr(0, open.fileBuffer.find('\0')));
    for (const auto& [document, _] : shell.documents) seen.opened.push_back(document);
    EXPECT_THAT(run_rows::Mismatches(row, folder, seen), IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(Rules, RunCommandRows, ::testing::ValuesIn(run_rows::Rows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunCommand, TheDialogOffersTheListFileFirstPresetWithTheWorkingPath) {
    layer.cancelFile();
    run(run_rows::Via::Button);
    ASSERT_EQ(layer.opens.size(), 1u);
    const dialogs::FileDialogRequest& asked = layer.opens[0];
    EXPECT_EQ(asked.title, "目次ファイル読込");
    EXPECT_EQ(asked.filter,
              "目次ファイル (00_目次.xls)\0"
              "00_目次.xls\0EXCEL Files (*.xls;*.xlsx;*.xlsm)\0*.xls;*.xlsx;*.xlsm\0"s);
    EXPECT_EQ(asked.filterIndex, 1);
    EXPECT_EQ(asked.flags, 2624004);
    EXPECT_EQ(asked.initialDir, fs.currentDirectory());
    EXPECT_EQ(asked.owner, owner->windowHandle());
    EXPECT_THAT(asked.fileBuffer, StartsWith("00_目次.xls\0"s));
}

TEST_F(RunCommand, AThousandNamesFitAndASelectionThatDoesNotIsTold) {
    std::string thousand = folder.path() + '\0';
    for (int i = 1; i <= 1000; ++i)
        thousand += "アンケート回答_" + std::to_string(10000 + i) + ".xls\0"s;
    layer.choose(thousand);
    run(run_rows::Via::Menu);
    EXPECT_EQ(window.g_mokuji_path, folder.at("アンケート回答_10001.xls"));
    EXPECT_EQ(gathers, 1);

    // Twice as many no longer fit: the user hears why, and the earlier list
    // is not made again as after a cancel.
    view.messages.clear();
    layer.choose(thousand + thousand.substr(thousand.find('\0') + 1));
    EXPECT_EQ(run(run_rows::Via::Button), std::nullopt);
    EXPECT_THAT(view.messages, ElementsAre(kTooManyChosenMessage));
    EXPECT_EQ(gathers, 1);
    EXPECT_EQ(shell.documents.size(), 1u);
    EXPECT_EQ(window.g_mokuji_path, folder.at("アンケート回答_10001.xls"));
}

// The rows work in a folder; at the root the folder ends in its separator,
// which is not doubled.
TEST(WorkingPath, AtTheRootTheSeparatorIsNotDoubled) {
    EXPECT_EQ(WorkingPathOfChoice(nativePath("/\0x.xls\0y.xls"s)), nativePath("/x.xls"));
    EXPECT_EQ(DroppedWorkingPath(nativePath("/"), true), nativePath("/00_目次.xls"));
}

// A workbook the gathering could not read for the columns but the run read
// after all is named once the list is made.
TEST_F(RunCommand, WorkbooksPassedOverForTheTemplateAreNamedAfterTheRun) {
    passOver =
        list_file::ReadFailure{folder.at("a.xls"), "damaged", automation::OpenFailure::Damaged};
    layer.choose(folder.at("b.xls"));
    EXPECT_EQ(run(run_rows::Via::Menu), RunEnd::ListWritten);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_THAT(view.messages[0], ::testing::HasSubstr(folder.at("a.xls") + "（"));
}

}  // namespace
}  // namespace mokuji::window
