// mokuji.exe: the window, or with a path on the command line the unattended
// run over that path's folder, which then opens the list file and ends.

#include <windows.h>

#include <iostream>

#include "app/command_line.h"
#include "app/console_start.h"
#include "app/win32_desktop.h"
#include "gather/folder_gathering.h"
#include "platform/win32/automation/application_with_fallback.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_shell.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace mokuji;
    platform::win32::Win32FileSystem fs;
    platform::win32::Win32Shell shell;
    // The whole line as the system keeps it: the argument is one string,
    // blanks and quotes included, not the C library's split of it.
    const std::string arguments =
        app::ArgumentsAfterProgramName(platform::win32::Utf8(GetCommandLineW()));
    // Our own engine reads every .xls; the spreadsheet application, where it
    // is installed, opens what ours cannot.
    const automation::ApplicationFactory engines = platform::win32::CreateApplicationWithFallback;
    const int status = app::RunWin32Desktop(fs, shell, engines, gather::GatherFolder, arguments);
    if (status != app::kNoDesktopWindow) return status;
    // No window can be made (no desktop session): the start is a console
    // start, as on a machine without a display.
    return app::RunWithoutWindow(fs, shell, engines, arguments, std::cerr);
}
