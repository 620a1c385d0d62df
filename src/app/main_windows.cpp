// mokuji.exe: lists the workbooks of the folder given on the command line in
// that folder's list file and opens it.

#include <windows.h>

#include <iostream>

#include "app/command_line.h"
#include "app/console_start.h"
#include "native/automation/native_application.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_shell.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace mokuji;
    platform::win32::Win32FileSystem fs;
    platform::win32::Win32Shell shell;
    // The whole line as the system keeps it: the argument is one string,
    // blanks and quotes included, not the C library's split of it.
    std::string arguments =
        app::ArgumentsAfterProgramName(platform::win32::Utf8(GetCommandLineW()));
    return app::RunWithoutWindow(fs, shell, xls::native::createApplication, std::move(arguments),
                                 std::cerr);
}
