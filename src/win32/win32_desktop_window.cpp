#include "win32/win32_desktop_window.h"

#include <windows.h>

#include <iostream>
#include <utility>

#include "win32/win32_owner_window.h"

namespace mokuji::win32 {

Win32DesktopWindow::Win32DesktopWindow(os::FileSystem& fs, os::Shell& shell,
                                       automation::ApplicationFactory createApplication,
                                       window::Gatherer gather, std::string arguments,
                                       window::GatheringSettings gathering)
    // Message boxes carry the program's name, as the desktop titles them
    // when a program gives none.
    : view_(form_, fs.programBaseName()),
      commands_({fs, shell, view_, std::move(createApplication), std::move(gather),
                 std::move(arguments), [this] { centre(); }, std::move(gathering)},
                {dialogLayer_, std::make_shared<Win32OwnerWindow>(form_.hwnd(), form_.font())},
                [](int status) { PostQuitMessage(status); }) {
    // Nobody may be watching a run started with a path (a scheduled task,
    // a script): its messages reach standard error too and never hold the
    // run up.
    if (!commands_.context().arguments.empty())
        view_.setUnattended(&std::cerr, window::kUnattendedMessageTimeout);
    form_.onDrop = [this](const std::vector<std::string>& paths) { commands_.drop(paths); };
    form_.cmd_run_Click = [this] { commands_.runButton(); };
    form_.mnu_make_Click = [this] { commands_.makeMenuItem(); };
    form_.mnu_version_Click = [this] { commands_.versionMenuItem(); };
    form_.mnu_help1_Click = [this] { commands_.helpMenuItem(); };
    form_.mnu_help_予約語_Click = [this] { commands_.reservedWordsMenuItem(); };
    // Both end the program without asking anything; the window is not
    // closed first by the menu item.
    form_.mnu_end_Click = [] { PostQuitMessage(0); };
    form_.onClose = [] { PostQuitMessage(0); };
}

window::RunEnd Win32DesktopWindow::load() {
    window::RunEnd outcome = commands_.load();
    form_.setListFileName(state().lbl_mokuji);
    return outcome;
}

window::RunEnd Win32DesktopWindow::start() {
    centre();
    if (!commands_.context().arguments.empty()) {
        EnableWindow(form_.hwnd(), FALSE);
        ShowWindow(form_.hwnd(), SW_SHOW);
        UpdateWindow(form_.hwnd());
    }
    // The unattended run yields to the window's messages like any other
    // run, so a drop arriving meanwhile must not start a second one.
    window::RunEnd outcome = load();
    if (failed()) return outcome;
    if (outcome == window::RunEnd::WaitForUser) {
        EnableWindow(form_.hwnd(), TRUE);
        ShowWindow(form_.hwnd(), SW_SHOW);
        UpdateWindow(form_.hwnd());
    }
    return outcome;
}

int Win32DesktopWindow::messageLoop() {
    MSG message;
    BOOL got;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) != 0) {
        if (got == -1) return 1;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

void Win32DesktopWindow::centre() {
    HWND window = form_.hwnd();
    if (window == nullptr) return;
    RECT outer;
    if (!GetWindowRect(window, &outer)) return;
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    const int left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace mokuji::win32
