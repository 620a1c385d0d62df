#include "platform/win32/automation/open_failure_cause.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace mokuji::platform::win32 {

using automation::FileContent;
using automation::OpenFailure;

OpenFailure OpenFailureOf(const std::string& path, FileContent& content) {
    content = FileContent::Unknown;
    const std::wstring wide = Wide(path);
    if (wide.empty()) return OpenFailure::NotFound;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD e = GetLastError();
        if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND || e == ERROR_INVALID_NAME ||
            e == ERROR_BAD_NETPATH)
            return OpenFailure::NotFound;
        if (e == ERROR_ACCESS_DENIED) return OpenFailure::AccessDenied;
        return OpenFailure::Other;
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        content = FileContent::Folder;
        return OpenFailure::NotAWorkbook;
    }
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        if (e == ERROR_ACCESS_DENIED || e == ERROR_SHARING_VIOLATION || e == ERROR_LOCK_VIOLATION)
            return OpenFailure::AccessDenied;
        return OpenFailure::Other;
    }
    LARGE_INTEGER size{};
    const bool sized = GetFileSizeEx(file, &size) != 0;
    CloseHandle(file);
    if (sized && size.QuadPart == 0) {
        content = FileContent::Empty;
        return OpenFailure::NotAWorkbook;
    }
    return OpenFailure::Other;
}

}  // namespace mokuji::platform::win32
