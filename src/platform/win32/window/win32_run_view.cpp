#include "platform/win32/window/win32_run_view.h"

#include <windows.h>

#include <utility>

#include "platform/win32/wide_text.h"

namespace mokuji::platform::win32 {

Win32RunView::Win32RunView(Form1_MAIN& window, std::string messageTitle)
    : window_(window), messageTitle_(Wide(messageTitle)) {}

void Win32RunView::setCaption(const std::string& caption) {
    SetWindowTextW(window_.hwnd(), Wide(caption).c_str());
}

std::string Win32RunView::caption() const {
    const int length = GetWindowTextLengthW(window_.hwnd());
    if (length <= 0) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(window_.hwnd(), text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Utf8(text);
}

void Win32RunView::setEnabled(bool enabled) {
    EnableWindow(window_.hwnd(), enabled ? TRUE : FALSE);
    // Disabling a window cancels its modes and with them its hold on the
    // mouse; the busy pointer takes it again.
    if (window_.busyPointer()) window_.setBusyPointer(true);
}

void Win32RunView::setMousePointer(int pointer) {
    window_.setBusyPointer(pointer == kPointerHourglass);
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
    // Owned by the window, so the window takes no input while the box is
    // up; a box owned by a disabled window still takes input itself.
    MessageBoxW(window_.hwnd(), Wide(text).c_str(), messageTitle_.c_str(), MB_OK);
    if (busy) window_.setBusyPointer(true);
}

}  // namespace mokuji::platform::win32
