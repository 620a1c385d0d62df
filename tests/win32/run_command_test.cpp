// The run command in the real Win32 window: the system's file-open dialog
// answered or cancelled by the test, and what the run then writes and
// opens.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>

#include "automation/native/native_application.h"
#include "dialog_watcher.h"
#include "dropped_files.h"
#include "os/path_names.h"
#include "os/win32/win32_file_system.h"
#include "qt/counting_shell.h"
#include "run/folder_gathering.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "win32/win32_desktop_window.h"
#include "win32/window_resources.h"

namespace {

using mokuji::app::Win32DesktopWindow;

}  // namespace

class RunCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = root_.file("集計 フォルダ");
        std::filesystem::create_directory(fake::utf8Path(folder_));
        fake::makeSource(folder_ + "\\a.xls", {{"氏名", 1, 1, std::string("山田")}});
        fake::makeSource(folder_ + "\\b.xls", {{"氏名", 1, 1, std::string("佐藤")}});
        try {
            window_ = std::make_unique<Win32DesktopWindow>(
                fs_, shell_, ::xls::native::createApplication,
                [this](const mokuji::gather::GatherContext& g) {
                    ++gathers_;
                    if (duringGathering_) duringGathering_();
                    return mokuji::gather::GatherFolder(g);
                },
                "");
        } catch (const mokuji::platform::win32::WindowUnavailable& e) {
            GTEST_SKIP() << "no display: " << e.what();
        }
        ASSERT_EQ(window_->start(), mokuji::app::RunEnd::WaitForUser);
    }

    HWND form() { return window_->form().hwnd(); }
    void clickRun() { SendMessageW(window_->form().cmd_run(), BM_CLICK, 0, 0); }
    void chooseMake() { SendMessageW(form(), WM_COMMAND, MAKEWPARAM(IDM_MNU_MAKE, 0), 0); }
    std::string listFile() const { return folder_ + "\\00_目次.xls"; }

    fake::TempFolder root_;
    std::string folder_;
    mokuji::platform::win32::Win32FileSystem fs_;
    CountingShell shell_;
    std::unique_ptr<Win32DesktopWindow> window_;
    int gathers_ = 0;
    std::function<void()> duringGathering_;
};

TEST_F(RunCommandTest, CancellingRightAfterStartUpLeavesTheButtonSilentAndTheMenuSpeaks) {
    fake::DialogWatcher watcher;
    watcher.cancel();
    clickRun();
    ASSERT_EQ(watcher.seen().size(), 1u);

    watcher.cancel();
    chooseMake();
    const auto seen = watcher.seen();
    ASSERT_EQ(seen.size(), 3u);
    for (int i : {0, 1}) {
        EXPECT_TRUE(seen[i].fileDialog);
        EXPECT_EQ(seen[i].title, "目次ファイル読込");
        EXPECT_EQ(seen[i].text, "00_目次.xls");
    }
    EXPECT_FALSE(seen[2].fileDialog);
    EXPECT_EQ(seen[2].text, "EXCELのシートがありません。");
    EXPECT_EQ(gathers_, 0);
    EXPECT_TRUE(shell_.documents.empty());
    EXPECT_FALSE(watcher.lingered());
}

TEST_F(RunCommandTest, AChosenWorkbookListsItsFolderAndACancelThenRepeatsTheRun) {
    fake::DialogWatcher watcher;
    watcher.type(folder_ + "\\a.xls");
    clickRun();

    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_EQ(window_->state().g_mokuji_path, folder_ + "\\a.xls");
    EXPECT_EQ(window_->state().List1.ListCount(), 2u);
    EXPECT_TRUE(std::filesystem::exists(fake::utf8Path(listFile())));
    EXPECT_EQ(shell_.documents, std::vector<std::string>{listFile()});
    wchar_t caption[256] = {};
    GetWindowTextW(form(), caption, 256);
    EXPECT_EQ(mokuji::platform::win32::Utf8(caption),
              fs_.programBaseName() + " EXCELのデータベース");
    EXPECT_TRUE(IsWindowEnabled(form()));

    // The next dialog is preset with the last choice; a cancel there makes
    // the same list again without gathering anew.
    watcher.cancel();
    chooseMake();
    const auto seen = watcher.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[1].text.find("a.xls"), std::string::npos) << seen[1].text;
    EXPECT_EQ(shell_.documents.size(), 2u);
    EXPECT_EQ(gathers_, 1);
    EXPECT_FALSE(watcher.lingered());
}

TEST_F(RunCommandTest, AChoiceAfterADropIsExactlyWhatWasChosen) {
    // The drop presets the dialog with a long list-file path; the names
    // chosen next are shorter and must come back alone.
    const std::string dropped = folder_ + "\\アンケート回答_2024年度_第2回";
    std::filesystem::create_directory(fake::utf8Path(dropped));
    fake::makeSource(dropped + "\\c.xls", {{"氏名", 1, 1, std::string("鈴木")}});
    fake::DialogWatcher watcher;
    fake::dropOn(form(), {dropped});
    ASSERT_EQ(window_->state().g_mokuji_path, dropped + "\\00_目次.xls");

    watcher.type(folder_ + "\\a.xls");
    clickRun();
    EXPECT_EQ(window_->state().g_mokuji_path, folder_ + "\\a.xls");
    watcher.type(listFile());
    chooseMake();
    EXPECT_EQ(window_->state().g_mokuji_path, listFile());

    const auto seen = watcher.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_NE(seen[0].text.find("00_目次.xls"), std::string::npos) << seen[0].text;
    EXPECT_EQ(shell_.documents,
              (std::vector<std::string>{dropped + "\\00_目次.xls", listFile(), listFile()}));
    EXPECT_FALSE(watcher.lingered());
}

TEST_F(RunCommandTest, SeveralChosenFilesNameTheirFolder) {
    // The dialog opens in the current directory while nothing was chosen.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(fake::utf8Path(folder_));
    struct Restore {
        std::filesystem::path path;
        ~Restore() { std::filesystem::current_path(path); }
    } restore{before};
    fake::DialogWatcher watcher;
    watcher.type("\"b.xls\" \"a.xls\"");
    chooseMake();

    ASSERT_EQ(watcher.seen().size(), 1u);
    EXPECT_EQ(mokuji::util::FolderOf(window_->state().g_mokuji_path), folder_ + "\\");
    EXPECT_EQ(window_->state().g_mokuji_path.find('\0'), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(fake::utf8Path(listFile())));
    EXPECT_EQ(shell_.documents, std::vector<std::string>{listFile()});
    EXPECT_FALSE(watcher.lingered());
}

TEST_F(RunCommandTest, NoSecondRunStartsWhileOneIsUnderWay) {
    fake::DialogWatcher watcher;
    // A drop and both commands arrive while the first run gathers; the
    // button is still enabled though its window is not.
    bool busyMeanwhile = false;
    duringGathering_ = [&] {
        fake::dropOn(form(), {folder_});
        chooseMake();
        clickRun();
        busyMeanwhile = window_->busy();
    };
    watcher.type(folder_ + "\\b.xls");
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
    EXPECT_EQ(window_->view().messageTimeout().count(), 0);
    Win32DesktopWindow unattended(fs_, shell_, ::xls::native::createApplication,
                                  mokuji::gather::GatherFolder, folder_);
    EXPECT_EQ(unattended.view().messageTimeout(), mokuji::app::kUnattendedMessageTimeout);

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
