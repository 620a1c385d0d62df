// The Win32 window driven as the system drives it: its controls and menus
// read back, drops delivered to its parts, menu items chosen, and the
// message boxes they open answered by the test.

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <memory>

#include "automation/native/native_application.h"
#include "dialog_watcher.h"
#include "dropped_files.h"
#include "os/win32/win32_file_system.h"
#include "qt/counting_shell.h"
#include "run/folder_gathering.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "win32/win32_desktop_window.h"
#include "win32/win32_owner_window.h"
#include "win32/window_resources.h"
#include "window/information_texts.h"

namespace {

using mokuji::os::win::Utf8;
using mokuji::win32::Win32DesktopWindow;

constexpr COLORREF kPaleYellow = RGB(255, 255, 192);

RECT placeOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string textOf(HWND window) {
    wchar_t text[512] = {};
    const int length = GetWindowTextW(window, text, 512);
    return Utf8(std::wstring_view(text, length));
}

struct MenuItem {
    std::string text;
    UINT id = 0;
    bool separator = false;
    HMENU submenu = nullptr;
};

std::vector<MenuItem> itemsOf(HMENU menu) {
    std::vector<MenuItem> items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[128] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING | MIIM_FTYPE | MIIM_ID | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 128;
        GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
        items.push_back({Utf8(std::wstring_view(text, info.cch)), info.wID,
                         (info.fType & MFT_SEPARATOR) != 0, info.hSubMenu});
    }
    return items;
}

void choose(HWND window, int id) {
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// A folder as a drop names it, without a separator at its end.
std::string folderOf(const fake::TempFolder& folder) {
    std::string path = folder.file("");
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

bool rectsMeet(const RECT& a, const RECT& b) {
    RECT both;
    return IntersectRect(&both, &a, &b) != FALSE;
}

}  // namespace

class Form1MainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        try {
            window_ = std::make_unique<Win32DesktopWindow>(
                fs_, shell_, ::xls::native::createApplication, mokuji::run::GatherFolder, "");
        } catch (const mokuji::win32::WindowUnavailable& e) {
            GTEST_SKIP() << "no display: " << e.what();
        }
        ASSERT_EQ(window_->start(), mokuji::window::RunEnd::WaitForUser);
    }

    HWND form() { return window_->form().hwnd(); }
    std::string startupCaption() { return fs_.programBaseName() + " EXCELのデータベース"; }

    mokuji::os::win::Win32FileSystem fs_;
    CountingShell shell_;
    std::unique_ptr<Win32DesktopWindow> window_;
};

TEST_F(Form1MainTest, ControlsSitAtTheirDesignPlacesOnThePaleYellowPicture) {
    auto& f = window_->form();
    RECT client;
    GetClientRect(form(), &client);
    EXPECT_EQ(client.right, 527);
    EXPECT_EQ(client.bottom, 336);
    EXPECT_FALSE(GetWindowLongW(form(), GWL_STYLE) & WS_THICKFRAME);

    const RECT image = placeOf(f.Image1());
    EXPECT_EQ(image.left, 9);
    EXPECT_EQ(image.top, 6);
    EXPECT_EQ(image.right - image.left, 23);
    EXPECT_EQ(image.bottom - image.top, 23);
    const RECT button = placeOf(f.cmd_run());
    EXPECT_EQ(button.left, 291);
    EXPECT_EQ(button.top, 264);
    EXPECT_EQ(button.right - button.left, 217);
    EXPECT_EQ(button.bottom - button.top, 37);
    EXPECT_EQ(textOf(f.cmd_run()), "目次ファイル作成");

    EXPECT_EQ(textOf(f.Label1(0)),
              "複数のEXCELﾌｧｲﾙの共通部分(名前部分)を集め、EXCELの一覧表にする。");
    EXPECT_EQ(textOf(f.Label1(1)), "ここに集計したいEXCELﾌｧｲﾙをドラッグドロップしてください");
    const RECT label0 = placeOf(f.Label1(0));
    const RECT label1 = placeOf(f.Label1(1));
    EXPECT_EQ(label0.left, 288);
    EXPECT_EQ(label0.top, 33);
    EXPECT_EQ(label0.right - label0.left, 220);
    EXPECT_EQ(label1.left, 24);
    EXPECT_EQ(label1.top, 231);
    EXPECT_EQ(label1.right - label1.left, 160);
    // Start-up names the list file; the label is as wide as its text.
    EXPECT_EQ(textOf(f.lbl_mokuji()), "00_目次.xls");
    const RECT name = placeOf(f.lbl_mokuji());
    EXPECT_EQ(name.left, 291);
    EXPECT_EQ(name.top, 81);

    // Every text shows whole: a label is as tall as its wrapped text needs
    // in the window's font, and runs into no other control.
    HDC dc = GetDC(f.Label1(0));
    HGDIOBJ old = SelectObject(dc, f.font());
    for (HWND label : {f.Label1(0), f.Label1(1)}) {
        const std::wstring text = mokuji::os::win::Wide(textOf(label));
        const RECT place = placeOf(label);
        RECT needed{0, 0, place.right - place.left, 0};
        DrawTextW(dc, text.c_str(), -1, &needed, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        EXPECT_GE(place.bottom - place.top, std::max<LONG>(25, needed.bottom));
        EXPECT_LE(needed.right, place.right - place.left);
        for (HWND other : {f.lbl_mokuji(), f.cmd_run(), f.Image1()}) {
            EXPECT_FALSE(rectsMeet(place, placeOf(other)));
        }
    }
    SIZE extent{};
    const std::wstring listName = L"00_目次.xls";
    GetTextExtentPoint32W(dc, listName.c_str(), static_cast<int>(listName.size()), &extent);
    EXPECT_GE(name.right - name.left, extent.cx);
    SelectObject(dc, old);
    ReleaseDC(f.Label1(0), dc);
    EXPECT_FALSE(rectsMeet(label0, label1));

    // The background: pale yellow where the picture is plain, the picture's
    // own drawing elsewhere.
    HDC screen = GetDC(form());
    HDC canvas = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 527, 336);
    HGDIOBJ kept = SelectObject(canvas, bitmap);
    SendMessageW(form(), WM_ERASEBKGND, reinterpret_cast<WPARAM>(canvas), 0);
    EXPECT_EQ(GetPixel(canvas, 500, 20), kPaleYellow);
    EXPECT_NE(GetPixel(canvas, 190, 126), kPaleYellow);
    SelectObject(canvas, kept);
    DeleteObject(bitmap);
    DeleteDC(canvas);
    ReleaseDC(form(), screen);

    // The program's icon, at 32 pixels.
    auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(form(), GCLP_HICON));
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP colour{};
    GetObjectW(info.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST_F(Form1MainTest, TheDialogsOwnerReportsTheWindowsJapaneseFont) {
    mokuji::win32::Win32OwnerWindow owner(form(), window_->form().font());
    EXPECT_EQ(owner.windowHandle(), reinterpret_cast<std::intptr_t>(form()));
    EXPECT_GT(owner.pixelsPerInchY(), 0);
    const mokuji::dialogs::OwnerFont font = owner.font();
    EXPECT_NEAR(font.size, 9.0, 0.5);
    EXPECT_FALSE(font.bold);
    // One of the Gothic faces, not the system's fallback.
    EXPECT_TRUE(font.name.find("ゴシック") != std::string::npos ||
                font.name.find("Gothic") != std::string::npos)
        << font.name;
}

TEST_F(Form1MainTest, MenusCarryTheirCaptionsInOrder) {
    const std::vector<MenuItem> top = itemsOf(GetMenu(form()));
    ASSERT_EQ(top.size(), 2u);
    EXPECT_EQ(top[0].text, "ﾌｧｲﾙ(&F)");
    EXPECT_EQ(top[1].text, "ヘルプ");

    const std::vector<MenuItem> file = itemsOf(top[0].submenu);
    ASSERT_EQ(file.size(), 4u);
    EXPECT_EQ(file[0].text, "目次ファイル作成");
    EXPECT_EQ(file[0].id, UINT{IDM_MNU_MAKE});
    EXPECT_TRUE(file[1].separator);
    EXPECT_EQ(file[2].text, "バージョン");
    EXPECT_EQ(file[2].id, UINT{IDM_MNU_VERSION});
    EXPECT_EQ(file[3].text, "終了");
    EXPECT_EQ(file[3].id, UINT{IDM_MNU_END});

    const std::vector<MenuItem> help = itemsOf(top[1].submenu);
    ASSERT_EQ(help.size(), 2u);
    EXPECT_EQ(help[0].text, "ヘルプ");
    EXPECT_EQ(help[0].id, UINT{IDM_MNU_HELP1});
    EXPECT_EQ(help[1].text, "名前の予約語");
    EXPECT_EQ(help[1].id, UINT{IDM_MNU_HELP_RESERVED});
}

TEST_F(Form1MainTest, InformationItemsShowTheirTextsInPlainBoxes) {
    fake::DialogWatcher watcher;
    choose(form(), IDM_MNU_VERSION);
    choose(form(), IDM_MNU_HELP1);
    choose(form(), IDM_MNU_HELP_RESERVED);
    const auto seen = watcher.seen();
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text, mokuji::window::VersionText(fs_.programBaseName()));
    EXPECT_EQ(seen[1].text, mokuji::window::HelpText());
    EXPECT_EQ(seen[2].text, mokuji::window::ReservedNamesText(window_->state().prop_name));
    for (const auto& box : seen) {
        EXPECT_EQ(box.title, fs_.programBaseName());
        EXPECT_EQ(box.buttons, 1);
    }
}

TEST_F(Form1MainTest, TheEndItemAndClosingEndTheProgram) {
    MSG quit;
    choose(form(), IDM_MNU_END);
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
    // The menu item leaves the window as it is.
    EXPECT_TRUE(IsWindow(form()));

    HWND closed = form();
    SendMessageW(closed, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_FALSE(IsWindow(closed));
}

TEST(Win32DesktopStartTest, StartedWithAPathTheWindowShowsDisabledAndBusyWhileTheRunWorks) {
    fake::TempFolder folder;
    fake::makeSource(folder.file("a.xls"), {{"氏名", 1, 1, std::string("山田")}});
    mokuji::os::win::Win32FileSystem fs;
    CountingShell shell;
    bool shownBusy = false;
    int gathers = 0;
    std::unique_ptr<Win32DesktopWindow> window;
    try {
        window = std::make_unique<Win32DesktopWindow>(
            fs, shell, ::xls::native::createApplication,
            [&](const mokuji::run::GatherContext& g) {
                HWND form = window->form().hwnd();
                shownBusy = IsWindowVisible(form) && !IsWindowEnabled(form) &&
                            window->form().busyPointer() && GetCapture() == form;
                // A drop meanwhile starts no second run.
                if (++gathers == 1) fake::dropOn(form, {folderOf(folder)});
                return mokuji::run::GatherFolder(g);
            },
            folderOf(folder));
    } catch (const mokuji::win32::WindowUnavailable& e) {
        GTEST_SKIP() << "no display: " << e.what();
    }
    EXPECT_EQ(window->start(), mokuji::window::RunEnd::ListWritten);
    EXPECT_TRUE(shownBusy);
    EXPECT_EQ(gathers, 1);
    EXPECT_EQ(shell.documents, std::vector<std::string>{folder.file("00_目次.xls")});
    EXPECT_FALSE(window->form().busyPointer());
    EXPECT_NE(GetCapture(), window->form().hwnd());
}
