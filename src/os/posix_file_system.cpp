#include "os/posix_file_system.h"

#include <sys/stat.h>

#include <system_error>

#include "native/text/ascii.h"
#include "os/path_names.h"

namespace mokuji::os {

namespace {

namespace fs = std::filesystem;

fs::path toPath(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}

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
    std::error_code ec;
    const fs::file_status s = fs::status(toPath(path), ec);
    if (ec || !fs::exists(s)) return a;
    a.exists = true;
    a.directory = fs::is_directory(s);
    a.system = !a.directory && !fs::is_regular_file(s);
    const std::string name = lastComponent(path);
    a.hidden = name.starts_with('.') && name != "." && name != "..";
    return a;
}

// The same for an entry of a listing: the type the listing gave is used
// where it gives one, so an ordinary entry costs no further look at the disk;
// a link is still followed.
FileAttributes attributesOf(const fs::directory_entry& entry, const std::string& name) {
    FileAttributes a;
    std::error_code ec;
    if (!entry.exists(ec) || ec) return a;
    a.exists = true;
    a.directory = entry.is_directory(ec);
    a.system = !a.directory && !entry.is_regular_file(ec);
    a.hidden = name.starts_with('.') && name != "." && name != "..";
    return a;
}

bool isOrdinaryFile(const FileAttributes& a) {
    return a.exists && !a.directory && !a.hidden && !a.system;
}

}  // namespace

std::vector<std::string> PosixFileSystem::listFolder(const std::string& folder) {
    const std::string where = folder.empty() ? "." : folder;
    std::error_code ec;
    fs::directory_iterator it(toPath(where), ec);
    if (ec)
        throw FileSystemError("cannot list folder \"" + where + "\": " + ec.message(),
                              ec == std::errc::permission_denied
                                  ? FileSystemError::Cause::NoPermission
                                  : FileSystemError::Cause::Other);
    std::vector<std::string> names;
    for (const fs::directory_iterator end; it != end;) {
        std::string name = toText(it->path().filename());
        FileAttributes a = attributesOf(*it, name);
        if (a.exists && !a.hidden && !a.system) names.push_back(std::move(name));
        it.increment(ec);
        if (ec)
            throw FileSystemError("listing of folder \"" + where + "\" broke off after " +
                                  std::to_string(names.size()) + " names: " + ec.message());
    }
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
    std::vector<std::string> names;
    try {
        names = PosixFileSystem::listFolder(folder);
    } catch (const FileSystemError&) {
        return "";
    }
    const std::string* best = nullptr;
    for (const std::string& candidate : names) {
        if (!xls::text::equalsIgnoringAsciiCase(candidate, name)) continue;
        if (!isOrdinaryFile(attributesOf(folder + candidate))) continue;
        if (!best || candidate < *best) best = &candidate;
    }
    return best ? folder + *best : "";
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
