#include "app/win32_desktop_window.h"

#include <windows.h>

#include <utility>

#include "app/drop_intake.h"
#include "app/information_texts.h"
#include "app/untrapped_failure.h"
#include "platform/win32/window/win32_owner_window.h"

namespace mokuji::app {

Win32DesktopWindow::Win32DesktopWindow(platform::FileSystem& fs, platform::Shell& shell,
                                       automation::ApplicationFactory createApplication,
                                       Gatherer gather, std::string arguments)
    // Message boxes carry the program's name, as the desktop titles them
    // when a program gives none.
    : view_(form_, fs.programBaseName()),
      dialogs_{dialogLayer_,
               std::make_shared<platform::win32::Win32OwnerWindow>(form_.hwnd(), form_.font())},
      ctx_{fs,
           shell,
           view_,
           std::move(createApplication),
           std::move(gather),
           std::move(arguments),
           [this] { centre(); }} {
    form_.onDrop = [this](const std::vector<std::string>& paths) {
        exclusively([&] { sub_OLEDragDrop(paths, state_, ctx_); });
    };
    form_.cmd_run_Click = [this] {
        exclusively([this] { cmd_run_Click(state_, ctx_, dialogs_); });
    };
    form_.mnu_make_Click = [this] {
        exclusively([this] { mnu_make_Click(state_, ctx_, dialogs_); });
    };
    form_.mnu_version_Click = [this] { mnu_version_Click(view_, ctx_.fs); };
    form_.mnu_help1_Click = [this] { mnu_help1_Click(view_); };
    form_.mnu_help_予約語_Click = [this] { mnu_help_予約語_Click(view_, state_.prop_name); };
    // Both end the program without asking anything; the window is not
    // closed first by the menu item.
    form_.mnu_end_Click = [] { PostQuitMessage(0); };
    form_.onClose = [] { PostQuitMessage(0); };
}

StartupOutcome Win32DesktopWindow::load() {
    StartupOutcome outcome = Form_Load(state_, ctx_);
    form_.setListFileName(state_.lbl_mokuji);
    return outcome;
}

StartupOutcome Win32DesktopWindow::start() {
    centre();
    if (!ctx_.arguments.empty()) {
        EnableWindow(form_.hwnd(), FALSE);
        ShowWindow(form_.hwnd(), SW_SHOW);
        UpdateWindow(form_.hwnd());
    }
    // The unattended run yields to the window's messages like any other
    // run, so a drop arriving meanwhile must not start a second one.
    StartupOutcome outcome = StartupOutcome::WaitForUser;
    exclusively([&] { outcome = load(); });
    if (failed_) return outcome;
    if (outcome == StartupOutcome::WaitForUser) {
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

void Win32DesktopWindow::exclusively(const std::function<void()>& command) {
    if (busy_) return;
    busy_ = true;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release{busy_};
    if (!RunTrapped(command, view_)) {
        failed_ = true;
        PostQuitMessage(kUntrappedFailureStatus);
    }
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

}  // namespace mokuji::app
