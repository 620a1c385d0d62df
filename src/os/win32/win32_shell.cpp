#include "os/win32/win32_shell.h"

#include <windows.h>

#include <shellapi.h>

#include "os/win32/wide_text.h"

namespace mokuji::os::win {

int Win32Shell::openDocument(const std::string& path, const std::string& workingFolder) {
    const std::wstring file = Wide(path);
    const std::wstring folder = Wide(workingFolder);
    // The program the shell starts inherits our environment; ours loses
    // the entry again at once.
    const std::wstring variable = Wide(kOpenedDocumentVariable);
    SetEnvironmentVariableW(variable.c_str(), file.c_str());
    const HINSTANCE result = ShellExecuteW(GetDesktopWindow(), L"Open", file.c_str(), L"",
                                           folder.c_str(), SW_SHOWNORMAL);
    SetEnvironmentVariableW(variable.c_str(), nullptr);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result));
}

std::string Win32Shell::documentThatStartedUs() const {
    const std::wstring variable = Wide(kOpenedDocumentVariable);
    std::wstring value(GetEnvironmentVariableW(variable.c_str(), nullptr, 0), L'\0');
    if (value.empty()) return "";
    value.resize(
        GetEnvironmentVariableW(variable.c_str(), value.data(), static_cast<DWORD>(value.size())));
    return Utf8(value);
}

double Win32Shell::startProgram(const std::string& path) {
    const std::wstring application = Wide(path);
    // The command line names the program once more, quoted, as programs
    // expect their own path as the first word.
    std::wstring commandLine = L"\"" + application + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(application.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                        nullptr, nullptr, &startup, &started))
        return 0;
    // Nothing waits for the program: its handles are not needed.
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return static_cast<double>(started.dwProcessId);
}

}  // namespace mokuji::os::win
