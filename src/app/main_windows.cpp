// mokuji.exe: the window, or with a path on the command line the unattended
// run over that path's folder, which then opens the list file and ends.

#include <windows.h>

#include <iostream>

#include "automation/com/application_with_fallback.h"
#include "console/console_run_view.h"
#include "console/console_start.h"
#include "console/terminal_line.h"
#include "os/win32/wide_text.h"
#include "os/win32/win32_file_system.h"
#include "os/win32/win32_shell.h"
#include "run/folder_gathering.h"
#include "ui/text.h"
#include "win32/win32_desktop.h"
#include "window/command_line.h"
#include "window/form_load.h"
#include "window/information_request.h"
#include "window/settings_file.h"
#include "window/startup_messages.h"

namespace {

// A program with a window of its own gets no console: its standard output
// is there only when the caller redirected it. Typed at a command prompt,
// the answer goes to the prompt's console, as wide text, since the console
// would show UTF-8 bytes in its own code page.
bool writeStandardOutput(const std::string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if ((out == nullptr || out == INVALID_HANDLE_VALUE) && AttachConsole(ATTACH_PARENT_PROCESS))
        out = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                          OPEN_EXISTING, 0, nullptr);
    if (out == nullptr || out == INVALID_HANDLE_VALUE) return false;
    DWORD mode = 0;
    DWORD written = 0;
    if (GetConsoleMode(out, &mode)) {
        const std::wstring wide = mokuji::os::win::Wide(text);
        return WriteConsoleW(out, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    }
    return WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    using namespace mokuji;
    ui::UseLanguage(ui::SystemLanguage());
    os::win::Win32FileSystem fs;
    os::win::Win32Shell shell;
    // The whole line as the system keeps it: the path is one string, blanks
    // and quotes included, not the C library's split of it.
    const window::StartOptions options = window::ParseCommandLine(
        window::ArgumentsAfterProgramName(os::win::Utf8(GetCommandLineW())));
    if (options.request)
        return writeStandardOutput(console::ConsoleText(
                   window::InformationAnswer(*options.request, fs.programBaseName())))
                   ? 0
                   : 1;
    if (!options.usageError.empty()) {
        std::cerr << console::ConsoleText(
                         window::UsageErrorMessage(options.usageError, fs.programBaseName()))
                  << std::flush;
        return window::ExitStatusOf(window::RunEnd::BadArgument);
    }
    // Our own engine reads every .xls; the spreadsheet application, where it
    // is installed, opens what ours cannot.
    std::string problem;
    const auto gathering =
        window::LoadGatheringSettings(options.gathering, fs.programFolder(), &problem);
    if (!gathering) {
        std::cerr << console::ConsoleText(window::UsageErrorMessage(problem, fs.programBaseName()))
                  << std::flush;
        return window::ExitStatusOf(window::RunEnd::BadArgument);
    }
    if (!problem.empty()) std::cerr << console::ConsoleText(problem + "\r\n") << std::flush;
    const automation::ApplicationFactory engines = com::CreateApplicationWithFallback;
    // Rows for a pipeline are the console's to write, desktop or not.
    if (!options.rows) {
        const int status = win32::RunWin32Desktop(fs, shell, engines, run::GatherFolder,
                                                  options.arguments, *gathering);
        if (status != win32::kNoDesktopWindow) return status;
    }
    // No window can be made (no desktop session): the start is a console
    // start, as on a machine without a display.
    return console::RunWithoutWindow(
        fs, shell, engines, options.arguments, std::cerr, console::StandardErrorColumns(),
        *gathering, options.verbose, options.rows,
        [](std::string_view text) { return writeStandardOutput(std::string(text)); });
}
