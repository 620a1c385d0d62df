#include "os/posix_file_system.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <string_view>
#include <system_error>

#include "native/text/ascii.h"
#include "os/path_names.h"

namespace mokuji::os {

namespace {

namespace fs = std::filesystem;

std::string toText(const fs::path& path) {
    std::u8string u = path.u8string();
    return std::string(u.begin(), u.end());
}

std::string lastComponent(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    return trimmed.substr(FolderOf(trimmed).size());
}

// What attributes() says; the other members call it directly, so that a
// subclass that watches or scripts attributes() sees only its callers' use.
FileAttributes attributesOf(const std::string& path) {
    FileAttributes a;
    struct stat s {};
    if (::stat(path.c_str(), &s) != 0) return a;
    a.exists = true;
    a.directory = S_ISDIR(s.st_mode);
    a.system = !a.directory && !S_ISREG(s.st_mode);
    const std::string name = lastComponent(path);
    a.hidden = name.starts_with('.') && name != "." && name != "..";
    return a;
}

// The same for an entry of a listing: the type the listing gave is used
// where it gives one, so an ordinary entry costs no further look at the disk;
// a link is still followed.
FileAttributes attributesOf(DIR* dir, const dirent& entry, std::string_view name) {
    FileAttributes a;
    unsigned char type = entry.d_type;
    if (type == DT_LNK || type == DT_UNKNOWN) {
        struct stat s {};
        if (::fstatat(::dirfd(dir), entry.d_name, &s, 0) != 0) return a;
        type = S_ISDIR(s.st_mode) ? DT_DIR : S_ISREG(s.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    a.exists = true;
    a.directory = type == DT_DIR;
    a.system = !a.directory && type != DT_REG;
    a.hidden = name.starts_with('.') && name != "." && name != "..";
    return a;
}

// Calls `take(dir, entry, name)` for each entry of the folder but "." and
// "..", in the listing's order, through the system's own listing:
// std::filesystem makes a path of every name, which a folder of thousands
// of workbooks, listed a few times a run, feels.
template <typename Take>
void eachEntry(const std::string& where, Take take) {
    DIR* dir = ::opendir(where.c_str());
    if (!dir) {
        const std::error_code ec(errno, std::generic_category());
        throw FileSystemError("cannot list folder \"" + where + "\": " + ec.message(),
                              ec == std::errc::permission_denied
                                  ? FileSystemError::Cause::NoPermission
                                  : FileSystemError::Cause::Other);
    }
    std::size_t count = 0;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) break;
        const std::string_view name(entry->d_name);
        if (name == "." || name == "..") continue;
        ++count;
        take(dir, *entry, name);
    }
    const int failure = errno;
    ::closedir(dir);
    if (failure != 0)
        throw FileSystemError(
            "listing of folder \"" + where + "\" broke off after " + std::to_string(count) +
            " names: " + std::error_code(failure, std::generic_category()).message());
}

bool isOrdinaryFile(const FileAttributes& a) {
    return a.exists && !a.directory && !a.hidden && !a.system;
}

}  // namespace

std::vector<std::string> PosixFileSystem::listFolder(const std::string& folder) {
    std::vector<std::string> names;
    eachEntry(folder.empty() ? "." : folder,
              [&](DIR* dir, const dirent& entry, std::string_view name) {
                  const FileAttributes a = attributesOf(dir, entry, name);
                  if (a.exists && !a.hidden && !a.system) names.emplace_back(name);
              });
    return names;
}

FileAttributes PosixFileSystem::attributes(const std::string& path) {
    return attributesOf(path);
}

std::string PosixFileSystem::findOrdinaryFile(const std::string& path) {
    if (isOrdinaryFile(attributesOf(path))) return path;
    const std::string folder = FolderOf(path);
    const std::string name = path.substr(folder.size());
    if (name.empty()) return "";
    // Only a name of the same length can differ from it in letter case
    // alone; the rest are passed over unexamined.
    std::string best;
    try {
        eachEntry(folder.empty() ? "." : folder,
                  [&](DIR* dir, const dirent& entry, std::string_view candidate) {
                      if (candidate.size() != name.size() ||
                          !xls::text::equalsIgnoringAsciiCase(candidate, name))
                          return;
                      if (!isOrdinaryFile(attributesOf(dir, entry, candidate))) return;
                      if (best.empty() || candidate < best) best = candidate;
                  });
    } catch (const FileSystemError&) {
        return "";
    }
    return best.empty() ? "" : folder + best;
}

const fs::path& PosixFileSystem::program() {
    if (!program_) {
        std::error_code ec;
        fs::path exe = fs::read_symlink("/proc/self/exe", ec);
        program_ = ec ? fs::path() : exe;
    }
    return *program_;
}

std::string PosixFileSystem::programFolder() {
    std::string folder = toText(program().parent_path());
    // The root's own separator is the one FindFiles adds again.
    return folder == "/" ? "" : folder;
}

std::string PosixFileSystem::programBaseName() {
    return toText(program().stem());
}

std::string PosixFileSystem::currentDirectory() {
    std::error_code ec;
    fs::path here = fs::current_path(ec);
    return ec ? "" : toText(here);
}

std::string PosixFileSystem::folderIdentity(const std::string& path) {
    // stat follows links: the folder a link leads to is the one named.
    struct stat s {};
    if (::stat(path.empty() ? "." : path.c_str(), &s) != 0 || !S_ISDIR(s.st_mode)) return "";
    return std::to_string(s.st_dev) + ":" + std::to_string(s.st_ino);
}

}  // namespace mokuji::os
