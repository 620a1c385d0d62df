// The run command and drops in the real Win32 window: the rows of the
// logic, played with the real button, menu item and the system's file-open
// dialog answered as a user does and drops on each part of the window, then
// what only a window has (a run under way refuses a
// second, an unattended run's message box closes by itself).

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>

#include "automation/native/native_application.h"
#include "dialog_watcher.h"
#include "dropped_files.h"
#include "os/win32/win32_file_system.h"
#include "qt/counting_shell.h"
#include "run/folder_gathering.h"
#include "win32/win32_desktop_window.h"
#include "win32/window_resources.h"
#include "window/run_command_rows.h"

namespace {

using mokuji::win32::Win32DesktopWindow;

}  // namespace

class RunCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        try {
            window_ = std::make_unique<Win32DesktopWindow>(
                fs_, shell_, ::xls::native::createApplication,
                [this](const mokuji::run::GatherContext& g) {
                    ++gathers_;
                    if (duringGathering_) duringGathering_();
                    return mokuji::run::GatherFolder(g);
                },
                "");
        } catch (const mokuji::win32::WindowUnavailable& e) {
            GTEST_SKIP() << "no display: " << e.what();
        }
        ASSERT_EQ(window_->start(), mokuji::window::RunEnd::WaitForUser);
    }

    HWND form() { return window_->form().hwnd(); }
    void clickRun() { SendMessageW(window_->form().cmd_run(), BM_CLICK, 0, 0); }
    void chooseMake() { SendMessageW(form(), WM_COMMAND, MAKEWPARAM(IDM_MNU_MAKE, 0), 0); }

    mokuji::os::win::Win32FileSystem fs_;
    CountingShell shell_;
    std::unique_ptr<Win32DesktopWindow> window_;
    int gathers_ = 0;
    std::function<void()> duringGathering_;
};

class RunCommandRows : public RunCommandTest,
                       public ::testing::WithParamInterface<run_rows::Row> {};

TEST_P(RunCommandRows, PlaysTheRow) {
    const run_rows::Row& row = GetParam();
    run_rows::RowFolder folder(row.damagedList);
    // The dialog opens in the current directory while nothing was chosen.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(fake::utf8Path(folder.path()));
    struct Restore {
        std::filesystem::path path;
        ~Restore() { std::filesystem::current_path(path); }
    } restore{before};

    fake::DialogWatcher watcher;
    static int drops = 0;
    for (const run_rows::Step& step : row.steps) {
        if (step.via == run_rows::Via::Drop) {
            const HWND parts[] = {window_->form().cmd_run(), window_->form().Label1(1),
                                  window_->form().Image1(), form()};
            fake::dropOn(parts[drops++ % 4], run_rows::dropped(step, folder));
            continue;
        }
        if (step.chosen.empty())
            watcher.cancel();
        else
            watcher.type(step.chosen.size() == 1 ? folder.at(step.chosen[0])
                                                 : run_rows::Quoted(step.chosen));
        if (step.via == run_rows::Via::Button)
            clickRun();
        else
            chooseMake();
    }
    wchar_t caption[256] = {};
    GetWindowTextW(form(), caption, 256);
    run_rows::Seen seen{{},
                        {},
                        gathers_,
                        shell_.documents,
                        window_->state().g_mokuji_path,
                        mokuji::os::win::Utf8(caption),
                        fs_.programBaseName()};
    for (const fake::DialogWatcher::Seen& d : watcher.seen()) {
        // A file dialog shows the name it was preset with; a plain box its
        // text under the program's name.
        EXPECT_EQ(d.title, d.fileDialog ? "目次ファイル読込" : fs_.programBaseName());
        EXPECT_TRUE(d.fileDialog || d.buttons == 1);
        (d.fileDialog ? seen.presets : seen.messages).push_back(d.text);
    }
    EXPECT_THAT(run_rows::Mismatches(row, folder, seen), ::testing::IsEmpty());
    EXPECT_TRUE(IsWindowEnabled(form()));
    EXPECT_FALSE(window_->form().busyPointer());
    EXPECT_NE(GetCapture(), form());
    EXPECT_FALSE(watcher.lingered());
}

INSTANTIATE_TEST_SUITE_P(Rules, RunCommandRows, ::testing::ValuesIn(run_rows::Rows()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(RunCommandTest, NoSecondRunStartsWhileOneIsUnderWay) {
    run_rows::RowFolder folder;
    fake::DialogWatcher watcher;
    // A drop and both commands arrive while the first run gathers; the
    // button is still enabled though its window is not.
    bool busyMeanwhile = false;
    duringGathering_ = [&] {
        fake::dropOn(form(), {folder.path()});
        chooseMake();
        clickRun();
        busyMeanwhile = window_->busy();
    };
    watcher.type(folder.at("b.xls"));
    clickRun();
    EXPECT_TRUE(busyMeanwhile);
    EXPECT_EQ(gathers_, 1);
    EXPECT_EQ(watcher.seen().size(), 1u);
    EXPECT_EQ(shell_.documents.size(), 1u);
    EXPECT_FALSE(window_->busy());
    EXPECT_FALSE(window_->form().busyPointer());
    EXPECT_NE(GetCapture(), form());
}

// Started with a path nobody may be watching: a box left unanswered closes
// by itself, its text on standard error too, and the run goes on.
TEST_F(RunCommandTest, AnUnattendedRunsMessageBoxClosesByItself) {
    run_rows::RowFolder folder;
    EXPECT_EQ(window_->view().messageTimeout().count(), 0);
    Win32DesktopWindow unattended(fs_, shell_, ::xls::native::createApplication,
                                  mokuji::run::GatherFolder, folder.path());
    EXPECT_EQ(unattended.view().messageTimeout(), mokuji::window::kUnattendedMessageTimeout);

    fake::DialogWatcher watcher;
    watcher.then([](HWND) {});  // nobody answers
    std::ostringstream echo;
    unattended.view().setUnattended(&echo, std::chrono::milliseconds(300));
    const auto began = std::chrono::steady_clock::now();
    unattended.view().showMessage("誰も見ていません。\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(10));
    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_NE(watcher.seen()[0].text.find("誰も見ていません。"), std::string::npos);
    EXPECT_FALSE(watcher.lingered());
    EXPECT_EQ(echo.str(), "誰も見ていません。\n");
}
