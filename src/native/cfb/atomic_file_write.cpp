#include "native/cfb/atomic_file_write.h"

#include <atomic>
#include <cerrno>
#include <csignal>
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
#include <limits.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "native/text/hex.h"

namespace xls::cfb {

namespace fs = std::filesystem;

namespace {

std::string utf8(const fs::path& p) {
    const std::u8string s = p.u8string();
    return std::string(s.begin(), s.end());
}

FileWriteError::Cause causeOf(const std::error_code& ec) {
    using Cause = FileWriteError::Cause;
    // Windows' own error numbers map onto the portable conditions too.
    const std::error_condition c = ec.default_error_condition();
    if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted ||
        c == std::errc::read_only_file_system || c == std::errc::text_file_busy ||
        c == std::errc::device_or_resource_busy)
        return Cause::NoPermission;
    if (c == std::errc::no_such_file_or_directory || c == std::errc::not_a_directory)
        return Cause::NoFolder;
    if (c == std::errc::no_space_on_device || c == std::errc::file_too_large)
        return Cause::DiskFull;
#ifdef EDQUOT
    if (ec.category() == std::generic_category() && ec.value() == EDQUOT) return Cause::DiskFull;
#endif
    return Cause::Other;
}

[[noreturn]] void fail(const fs::path& target, const std::string& step, const std::error_code& ec) {
    throw FileWriteError("cannot save '" + utf8(target) + "': " + step + ": " + ec.message(),
                         causeOf(ec));
}
[[noreturn]] void fail(const fs::path& target, const std::string& step, int err) {
    fail(target, step, std::error_code(err, std::generic_category()));
}

// The file a save really replaces: where the chain of symbolic links from
// the given name ends, existing or not. A rename over the link itself would
// put a plain file in its place and leave the file it shares stale.
fs::path endOfLinks(const fs::path& target) {
    fs::path p = target;
    // As many as the system follows before it gives up on a loop.
    for (int hops = 0;; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(p, ec)) || ec) return p;
        if (hops == 40) fail(target, "following its symbolic links", ELOOP);
        const fs::path next = fs::read_symlink(p, ec);
        if (ec) fail(target, "reading its symbolic link", ec);
        p = next.is_absolute() ? next : p.parent_path() / next;
    }
}

// A name beside the target that no other save picks at the same time.
fs::path temporaryBeside(const fs::path& target) {
    std::random_device rd;
    std::uint64_t r = (std::uint64_t{rd()} << 32) ^ rd();
    const std::string suffix =
        ".~tmp" + text::hexDigits(r & 0xFFFF'FFFF'FFFF, 12, text::HexCase::Lower);
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
    // Root may write any file, so asking the system would let root replace
    // a list its owner made read-only; the mark itself is what counts, as
    // Windows' read-only attribute does for its administrators.
    struct stat st {};
    if (::stat(p.c_str(), &st) == 0 && (st.st_mode & S_IWUSR) == 0) {
        errno = EACCES;
        return -1;
    }
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

#ifdef _WIN32
// Not on Windows: a console's Ctrl+C or close runs its handler on another
// thread while the temporary file is still open here, and Windows deletes
// no file that is open without sharing its deletion. The program there is
// a window program, which these events do not reach.
class SignalsRemoveTemporary {
  public:
    void created(const fs::path&) {}
    void gone() {}
};
template <typename Open>
int openBlockingSignals(Open open) {
    return open();
}
#else
// A signal that ends the program while the temporary file exists removes
// it first: else a full-size copy of the list stays beside it for good. A
// handler may call only what is safe in a handler, so the name waits in a
// fixed buffer, and the handler then lets the signal do what it did before.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kEndingSignalCount = 3;
char g_temporaryName[PATH_MAX];
volatile std::sig_atomic_t g_haveTemporary = 0;
struct sigaction g_previous[kEndingSignalCount];
bool g_installed[kEndingSignalCount];
// Two saves at once in one process: the later one goes unguarded rather
// than take the earlier one's name away.
std::atomic<bool> g_guardTaken{false};

extern "C" void removeTemporaryThenEnd(int sig) {
    const int saved = errno;
    if (g_haveTemporary) ::unlink(g_temporaryName);
    g_haveTemporary = 0;
    for (int i = 0; i < kEndingSignalCount; ++i)
        if (kEndingSignals[i] == sig) ::sigaction(sig, &g_previous[i], nullptr);
    // Blocked until this handler returns, then handled as before the save:
    // the default ends the program.
    ::raise(sig);
    errno = saved;
}

sigset_t endingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (int sig : kEndingSignals) sigaddset(&set, sig);
    return set;
}

// The handlers live only as long as the save; a signal the program ignored
// (as under nohup) stays ignored.
class SignalsRemoveTemporary {
  public:
    SignalsRemoveTemporary() {
        if (g_guardTaken.exchange(true)) return;
        active_ = true;
        struct sigaction ours {};
        ours.sa_handler = removeTemporaryThenEnd;
        ours.sa_mask = endingSignals();
        ours.sa_flags = SA_RESTART;
        for (int i = 0; i < kEndingSignalCount; ++i) {
            g_installed[i] = false;
            if (::sigaction(kEndingSignals[i], nullptr, &g_previous[i]) != 0) continue;
            if (!(g_previous[i].sa_flags & SA_SIGINFO) && g_previous[i].sa_handler == SIG_IGN)
                continue;
            g_installed[i] = ::sigaction(kEndingSignals[i], &ours, nullptr) == 0;
        }
    }
    ~SignalsRemoveTemporary() {
        if (!active_) return;
        gone();
        for (int i = 0; i < kEndingSignalCount; ++i)
            if (g_installed[i]) ::sigaction(kEndingSignals[i], &g_previous[i], nullptr);
        g_guardTaken = false;
    }
    SignalsRemoveTemporary(const SignalsRemoveTemporary&) = delete;
    SignalsRemoveTemporary& operator=(const SignalsRemoveTemporary&) = delete;

    // Called with the signals blocked, so that none finds the file made
    // and its name not yet known.
    void created(const fs::path& p) {
        const std::string& name = p.native();
        if (!active_ || name.size() >= sizeof g_temporaryName) return;
        std::memcpy(g_temporaryName, name.c_str(), name.size() + 1);
        g_haveTemporary = 1;
    }
    // The file was renamed or removed; a signal now has nothing to remove.
    void gone() {
        if (active_) g_haveTemporary = 0;
    }

  private:
    bool active_ = false;
};

template <typename Open>
int openBlockingSignals(Open open) {
    const sigset_t block = endingSignals();
    sigset_t before;
    const bool blocked = ::pthread_sigmask(SIG_BLOCK, &block, &before) == 0;
    const int fd = open();
    const int err = errno;
    if (blocked) ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    errno = err;
    return fd;
}
#endif

// Removes the temporary file on every way out but success.
class TemporaryFile {
  public:
    explicit TemporaryFile(fs::path p, SignalsRemoveTemporary& signals)
        : path_(std::move(p)), signals_(signals) {}
    ~TemporaryFile() {
        if (fd_ >= 0) closeFile(fd_);
        if (!kept_) {
            std::error_code ec;
            fs::remove(path_, ec);
        }
        signals_.gone();
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const fs::path& path() const { return path_; }
    int& fd() { return fd_; }
    void keep() { kept_ = true; }

  private:
    fs::path path_;
    SignalsRemoveTemporary& signals_;
    int fd_ = -1;
    bool kept_ = false;
};

}  // namespace

void writeFileAtomically(const std::string& pathUtf8, std::span<const std::uint8_t> bytes) {
    writeMadeFileAtomically(pathUtf8, [&](const ByteSink& sink) { sink(bytes); });
}

void writeMadeFileAtomically(const std::string& pathUtf8,
                             const std::function<void(const ByteSink&)>& produce) {
    if (pathUtf8.empty()) throw FileWriteError("cannot save: no file name given");
    // Messages name the file as the caller knows it.
    const fs::path named(std::u8string(pathUtf8.begin(), pathUtf8.end()));
    const fs::path target = endOfLinks(named);

    std::error_code ec;
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status))
        throw FileWriteError("cannot save '" + pathUtf8 + "': it is a folder",
                             FileWriteError::Cause::IsFolder);
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
        if (probe < 0 && err != ENOENT) fail(named, "the file cannot be written", err);
        if (probe >= 0) closeFile(probe);
    }

    SignalsRemoveTemporary signals;
    TemporaryFile temp(temporaryBeside(target), signals);
    temp.fd() = openBlockingSignals([&] {
        const int fd = openNew(temp.path(), mode);
        if (fd >= 0) signals.created(temp.path());
        return fd;
    });
    if (temp.fd() < 0) {
        const int err = errno;
        // Nothing was created, so there is nothing to remove either.
        temp.keep();
        fail(named, "cannot create a temporary file in its folder", err);
    }
#ifndef _WIN32
    // open() applied the umask; restore the bits the old file had.
    if (fs::exists(status)) (void)::fchmod(temp.fd(), static_cast<mode_t>(mode));
#endif

    produce([&](std::span<const std::uint8_t> bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            auto n = writeSome(temp.fd(), bytes.data() + done, bytes.size() - done);
            if (n < 0) {
                if (errno == EINTR) continue;
                fail(named, "writing the temporary file", errno);
            }
            if (n == 0) fail(named, "writing the temporary file", EIO);
            done += static_cast<std::size_t>(n);
        }
    });
    if (syncFile(temp.fd()) != 0) fail(named, "flushing the temporary file to disk", errno);
    const int fd = temp.fd();
    temp.fd() = -1;
    if (closeFile(fd) != 0) fail(named, "closing the temporary file", errno);

    replaceWith(temp.path(), target, ec);
    if (ec) fail(named, "replacing it with the temporary file", ec);
    temp.keep();
    signals.gone();
    syncFolder(target.parent_path());
}

}  // namespace xls::cfb
