#include "os/win32/win32_file_system.h"

#include <windows.h>

#include "os/path_names.h"
#include "os/win32/wide_text.h"

namespace mokuji::os::win {

namespace {

constexpr DWORD kLeftOut = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

std::string withSeparator(const std::string& folder) {
    return folder.empty() || isSeparator(folder.back()) ? folder : folder + '\\';
}

// A search handle closed on every way out of a listing.
class Search {
  public:
    Search(const std::wstring& pattern, WIN32_FIND_DATAW& found)
        : handle_(FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch,
                                   nullptr, FIND_FIRST_EX_LARGE_FETCH)) {}
    ~Search() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    Search(const Search&) = delete;
    Search& operator=(const Search&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    bool next(WIN32_FIND_DATAW& found) { return FindNextFileW(handle_, &found) != 0; }

  private:
    HANDLE handle_;
};

bool isDotEntry(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == L'\0') ||
           (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

FileAttributes attributesOf(const std::string& path) {
    FileAttributes a;
    const DWORD bits = GetFileAttributesW(Wide(path).c_str());
    if (bits == INVALID_FILE_ATTRIBUTES) return a;
    a.exists = true;
    a.directory = (bits & FILE_ATTRIBUTE_DIRECTORY) != 0;
    a.hidden = (bits & FILE_ATTRIBUTE_HIDDEN) != 0;
    a.system = (bits & FILE_ATTRIBUTE_SYSTEM) != 0;
    return a;
}

}  // namespace

std::vector<std::string> Win32FileSystem::listFolder(const std::string& folder) {
    const std::string where = folder.empty() ? "." : folder;
    WIN32_FIND_DATAW found{};
    Search search(Wide(withSeparator(where) + "*"), found);
    std::vector<std::string> names;
    if (!search.valid()) {
        const DWORD error = GetLastError();
        // A folder with nothing in it, not even "." (a drive's root).
        if (error == ERROR_FILE_NOT_FOUND) return names;
        throw FileSystemError("cannot list folder \"" + where + "\": " + SystemMessage(error),
                              error == ERROR_ACCESS_DENIED ? FileSystemError::Cause::NoPermission
                                                           : FileSystemError::Cause::Other);
    }
    do {
        if (isDotEntry(found.cFileName) || (found.dwFileAttributes & kLeftOut) != 0) continue;
        names.push_back(
            Utf8(std::wstring_view(found.cFileName, wcsnlen(found.cFileName, MAX_PATH))));
    } while (search.next(found));
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES)
        throw FileSystemError("listing of folder \"" + where + "\" broke off after " +
                              std::to_string(names.size()) + " names: " + SystemMessage(error));
    return names;
}

FileAttributes Win32FileSystem::attributes(const std::string& path) {
    return attributesOf(path);
}

std::string Win32FileSystem::findOrdinaryFile(const std::string& path) {
    const std::size_t cut = os::LastComponentStart(path);
    const std::string name = path.substr(cut);
    // Wildcards would make the lookup below a search and answer for
    // another file.
    if (name.empty() || name.find_first_of("*?") != std::string::npos) return "";
    WIN32_FIND_DATAW found{};
    Search search(Wide(path), found);
    if (!search.valid()) return "";
    constexpr DWORD kNotOrdinary = kLeftOut | FILE_ATTRIBUTE_DIRECTORY;
    if ((found.dwFileAttributes & kNotOrdinary) != 0) return "";
    // The name as the folder spells it, which may differ from the one asked.
    return path.substr(0, cut) +
           Utf8(std::wstring_view(found.cFileName, wcsnlen(found.cFileName, MAX_PATH)));
}

const std::string& Win32FileSystem::program() {
    if (!program_) {
        std::wstring buffer(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length =
                GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
            if (length == 0) {
                buffer.clear();
                break;
            }
            if (length < buffer.size()) {
                buffer.resize(length);
                break;
            }
            // Cut short: the path is longer than the buffer.
            if (buffer.size() >= 32768) {
                buffer.clear();
                break;
            }
            buffer.resize(buffer.size() * 2);
        }
        program_ = Utf8(buffer);
    }
    return *program_;
}

std::string Win32FileSystem::programFolder() {
    const std::string& path = program();
    const std::size_t cut = os::LastComponentStart(path);
    if (cut == 0) return "";
    // "C:" for a program at a drive's root: callers add the separator.
    return path.substr(0, cut - 1);
}

std::string Win32FileSystem::programBaseName() {
    const std::string& path = program();
    std::string name = path.substr(os::LastComponentStart(path));
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string Win32FileSystem::currentDirectory() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return "";
    std::wstring buffer(size, L'\0');
    const DWORD length = GetCurrentDirectoryW(size, buffer.data());
    if (length == 0 || length >= size) return "";
    buffer.resize(length);
    return Utf8(buffer);
}

std::string Win32FileSystem::folderIdentity(const std::string& path) {
    // A folder opens only with backup semantics; a junction or a symbolic
    // link is followed to the folder it stands for.
    HANDLE h = CreateFileW(Wide(path.empty() ? "." : path).c_str(), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "";
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(h, &info) != 0 &&
                       (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    CloseHandle(h);
    if (!known) return "";
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexHigh) +
           ":" + std::to_string(info.nFileIndexLow);
}

}  // namespace mokuji::os::win
