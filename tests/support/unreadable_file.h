#pragma once

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fake {

// Keeps this process from reading a file while it lives. POSIX systems
// refuse by permission (a test run as root needs ActingUnprivileged too);
// Windows by a handle that shares nothing, as a program holding the file
// open for editing has it, since its read-only mark still allows reading.
class UnreadableFile {
  public:
    explicit UnreadableFile(const std::filesystem::path& file) {
#ifdef _WIN32
        handle_ = CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
#else
        std::filesystem::permissions(file, std::filesystem::perms::none);
#endif
    }
    ~UnreadableFile() {
#ifdef _WIN32
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
#endif
    }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

#ifdef _WIN32
    bool held() const {
        return handle_ != INVALID_HANDLE_VALUE;
    }
#else
    bool held() const {
        return true;
    }
#endif

  private:
#ifdef _WIN32
    HANDLE handle_ = INVALID_HANDLE_VALUE;
#endif
};

}  // namespace fake
