#include "win32/win32_run_view.h"

#include <windows.h>

#include <ostream>
#include <string_view>
#include <utility>

#include "console/console_run_view.h"

#include "os/win32/wide_text.h"

namespace mokuji::win32 {

namespace {

// The window the message box on screen belongs to. The system's boxes have
// no way to close themselves, so a timer does it as a user would, with OK.
HWND boxOwner = nullptr;

BOOL CALLBACK confirmIfBox(HWND window, LPARAM) {
    wchar_t kind[16] = {};
    // "#32770" is the class of the system's dialog boxes, MessageBox's too.
    if (GetWindow(window, GW_OWNER) == boxOwner && GetClassNameW(window, kind, 16) > 0 &&
        std::wstring_view(kind) == L"#32770")
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return TRUE;
}

void CALLBACK confirmOpenBoxes(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), confirmIfBox, 0);
}

}  // namespace

Win32RunView::Win32RunView(Form1_MAIN& window, std::string messageTitle)
    : window_(window), messageTitle_(os::win::Wide(messageTitle)) {}

void Win32RunView::setCaption(const std::string& caption) {
    SetWindowTextW(window_.hwnd(), os::win::Wide(caption).c_str());
}

std::string Win32RunView::caption() const {
    const int length = GetWindowTextLengthW(window_.hwnd());
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window_.hwnd(), text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return os::win::Utf8(text);
}

void Win32RunView::setEnabled(bool enabled) {
    EnableWindow(window_.hwnd(), enabled ? TRUE : FALSE);
    // Disabling a window cancels its modes and with them its hold on the
    // mouse; the busy pointer takes it again.
    if (window_.busyPointer()) window_.setBusyPointer(true);
}

void Win32RunView::setMousePointer(int pointer) {
    window_.setBusyPointer(pointer == view::kPointerHourglass);
}

void Win32RunView::doEvents() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The end of the program is the message loop's to see, after
            // the run.
            PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32RunView::showMessage(const std::string& text) {
    // The held mouse would keep the box's button from being clicked.
    const bool busy = window_.busyPointer();
    if (busy) window_.setBusyPointer(false);
    if (echo_ != nullptr) *echo_ << console::ConsoleText(text) << std::flush;
    // A timer of the thread, not of the window: the box's own message loop
    // dispatches it while the box waits.
    const UINT_PTR timer =
        timeout_.count() > 0
            ? SetTimer(nullptr, 0, static_cast<UINT>(timeout_.count()), confirmOpenBoxes)
            : 0;
    boxOwner = window_.hwnd();
    // Owned by the window, so the window takes no input while the box is
    // up; a box owned by a disabled window still takes input itself.
    MessageBoxW(window_.hwnd(), os::win::Wide(text).c_str(), messageTitle_.c_str(), MB_OK);
    if (timer != 0) KillTimer(nullptr, timer);
    if (busy) window_.setBusyPointer(true);
}

void Win32RunView::setUnattended(std::ostream* echo, std::chrono::milliseconds timeout) {
    echo_ = echo;
    timeout_ = timeout;
}

}  // namespace mokuji::win32
