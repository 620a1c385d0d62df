#include "native/cfb/atomic_file_write.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace xls::cfb {

namespace fs = std::filesystem;

namespace {

std::string errnoText(int err) {
    return std::error_code(err, std::generic_category()).message();
}

std::string utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

[[noreturn]] void fail(const fs::path& target, const std::string& step, const std::string& why) {
    throw FileWriteError("cannot save '" + utf8(target) + "': " + step + ": " + why);
}
[[noreturn]] void fail(const fs::path& target, const std::string& step, int err) {
    fail(target, step, errnoText(err));
}

// A name beside the target that no other save picks at the same time.
fs::path temporaryBeside(const fs::path& target) {
    std::random_device rd;
    std::uint64_t r = (std::uint64_t{rd()} << 32) ^ rd();
    static const char digits[] = "0123456789abcdef";
    std::string suffix = ".~tmp";
    for (int i = 0; i < 12; ++i) suffix += digits[(r >> (4 * i)) & 0xF];
    fs::path p = target;
    p += fs::path(suffix);
    return p;
}

#ifdef _WIN32
int openNew(const fs::path& p, int mode) {
    return _wopen(p.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, mode);
}
int writeSome(int fd, const std::uint8_t* data, std::size_t n) {
    return _write(fd, data, static_cast<unsigned>(std::min<std::size_t>(n, 1u << 30)));
}
int syncFile(int fd) {
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    if (handle == INVALID_HANDLE_VALUE) return -1;
    if (FlushFileBuffers(handle)) return 0;
    errno = EIO;
    return -1;
}
int closeFile(int fd) {
    return _close(fd);
}
// Windows has no handle on a folder to flush; the write-through move below
// is what makes the replacement durable there.
void syncFolder(const fs::path&) {}
int openExisting(const fs::path& p) {
    // Windows refuses to write a read-only file to every user, its
    // administrators included. Asked directly, the answer is the same under
    // Wine run as root, where the mark becomes mode bits that root ignores.
    const DWORD attributes = GetFileAttributesW(p.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return -1;
    }
    return _wopen(p.c_str(), _O_WRONLY | _O_BINARY);
}
// The move returns only once it is on the disk, and replaces the target in
// one step, so no reader sees the folder without it.
void replaceWith(const fs::path& temp, const fs::path& target, std::error_code& ec) {
    if (MoveFileExW(temp.c_str(), target.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        ec.clear();
    else
        ec = std::error_code(static_cast<int>(GetLastError()), std::system_category());
}
#else
int openNew(const fs::path& p, int mode) {
    return ::open(p.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, static_cast<mode_t>(mode));
}
ssize_t writeSome(int fd, const std::uint8_t* data, std::size_t n) {
    return ::write(fd, data, n);
}
int syncFile(int fd) {
    return ::fsync(fd);
}
int closeFile(int fd) {
    return ::close(fd);
}
int openExisting(const fs::path& p) {
    return ::open(p.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK);
}
void replaceWith(const fs::path& temp, const fs::path& target, std::error_code& ec) {
    fs::rename(temp, target, ec);
}
// Makes the rename itself durable. Best effort: some file systems refuse
// to sync a folder, and the data is already safe either way.
void syncFolder(const fs::path& folder) {
    int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}
#endif

// Removes the temporary file on every way out but success.
class TemporaryFile {
  public:
    explicit TemporaryFile(fs::path p) : path_(std::move(p)) {}
    ~TemporaryFile() {
        if (fd_ >= 0) closeFile(fd_);
        if (!kept_) {
            std::error_code ec;
            fs::remove(path_, ec);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const fs::path& path() const { return path_; }
    int& fd() { return fd_; }
    void keep() { kept_ = true; }

  private:
    fs::path path_;
    int fd_ = -1;
    bool kept_ = false;
};

}  // namespace

void writeFileAtomically(const std::string& pathUtf8, std::span<const std::uint8_t> bytes) {
    const fs::path target(std::u8string(pathUtf8.begin(), pathUtf8.end()));
    if (pathUtf8.empty()) throw FileWriteError("cannot save: no file name given");

    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status))
        throw FileWriteError("cannot save '" + pathUtf8 + "': it is a folder");
    // A new file gets the usual permissions less the umask; a replaced one
    // keeps its own.
    int mode = 0666;
    if (fs::exists(status)) mode = static_cast<int>(status.permissions() & fs::perms::mask);
    // Replacing a file by rename asks only the folder's permission, so a
    // file its owner made read-only would be replaced all the same; opening
    // it for writing (which changes nothing) asks the file's own.
    if (fs::is_regular_file(status)) {
        const int probe = openExisting(target);
        const int err = errno;
        // Gone meanwhile: then there is nothing to protect.
        if (probe < 0 && err != ENOENT) fail(target, "the file cannot be written", err);
        if (probe >= 0) closeFile(probe);
    }

    TemporaryFile temp(temporaryBeside(target));
    temp.fd() = openNew(temp.path(), mode);
    if (temp.fd() < 0) {
        const int err = errno;
        // Nothing was created, so there is nothing to remove either.
        temp.keep();
        fail(target, "cannot create a temporary file in its folder", err);
    }
#ifndef _WIN32
    // open() applied the umask; restore the bits the old file had.
    if (fs::exists(status)) (void)::fchmod(temp.fd(), static_cast<mode_t>(mode));
#endif

    std::size_t done = 0;
    while (done < bytes.size()) {
        auto n = writeSome(temp.fd(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            fail(target, "writing the temporary file", errno);
        }
        if (n == 0) fail(target, "writing the temporary file", EIO);
        done += static_cast<std::size_t>(n);
    }
    if (syncFile(temp.fd()) != 0) fail(target, "flushing the temporary file to disk", errno);
    const int fd = temp.fd();
    temp.fd() = -1;
    if (closeFile(fd) != 0) fail(target, "closing the temporary file", errno);

    replaceWith(temp.path(), target, ec);
    if (ec) fail(target, "replacing it with the temporary file", ec.message());
    temp.keep();
    syncFolder(target.parent_path());
}

}  // namespace xls::cfb
