// Shows the Win32 window as the program starts it without an argument, over
// this machine's folders and a shell that opens nothing: for looking at the
// window and taking pictures of it. Its caption begins with the name of the
// program file, so a copy named mokuji.exe looks like the program.
//   window_preview [milliseconds [menu]]
// ends by itself after that long; with "menu" it opens the ﾌｧｲﾙ menu once
// the window is up. Exits with 3 when no window can be made (no display).

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "automation/native/native_application.h"
#include "os/win32/win32_file_system.h"
#include "qt/counting_shell.h"
#include "run/folder_gathering.h"
#include "ui/text.h"
#include "win32/win32_desktop.h"

int main(int argc, char** argv) {
    // In the language the program itself would choose here.
    mokuji::ui::UseLanguage(mokuji::ui::SystemLanguage());
    if (argc > 1) {
        const UINT lifetime = static_cast<UINT>(std::strtoul(argv[1], nullptr, 10));
        SetTimer(nullptr, 0, lifetime, [](HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); });
    }
    if (argc > 2 && std::strcmp(argv[2], "menu") == 0) {
        // As the user's Alt+F does it; the timer runs once the message loop
        // does, that is once the window shows.
        SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            HWND form = FindWindowW(L"mokuji.Form1_MAIN", nullptr);
            if (form) PostMessageW(form, WM_SYSCOMMAND, SC_KEYMENU, L'f');
        });
    }
    mokuji::os::win::Win32FileSystem fs;
    CountingShell shell;
    const int status = mokuji::win32::RunWin32Desktop(fs, shell, ::xls::native::createApplication,
                                                      mokuji::run::GatherFolder, "");
    if (status == mokuji::win32::kNoDesktopWindow) {
        std::fputs("no window: no display\n", stderr);
        return 3;
    }
    return status;
}
