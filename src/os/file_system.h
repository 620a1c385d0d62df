#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace mokuji::os {

// A folder could not be listed, or a path not examined.
class FileSystemError : public std::runtime_error {
  public:
    // What a user can do something about, told apart from the rest.
    enum class Cause { Other, NoPermission };
    explicit FileSystemError(const std::string& what, Cause cause = Cause::Other)
        : std::runtime_error(what), cause_(cause) {}
    Cause cause() const { return cause_; }

  private:
    Cause cause_;
};

struct FileAttributes {
    bool exists = false;
    bool directory = false;
    // Hidden and system entries are what the desktop does not show: on
    // Linux a name beginning with ".", on Windows the attributes of that
    // name.
    bool hidden = false;
    bool system = false;
};

// What the program needs of the file system. Paths are UTF-8 and use the
// platform's separator.
class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // The names of the ordinary files and folders directly in folder, in the
    // listing's own order, without "." and ".." and without hidden or system
    // entries. Throws FileSystemError when the folder cannot be listed.
    virtual std::vector<std::string> listFolder(const std::string& folder) = 0;
    // Never throws: a path that cannot be examined does not exist.
    virtual FileAttributes attributes(const std::string& path) = 0;
    // A lookup of one ordinary file (not a folder, not hidden or system)
    // that ignores letter case in its last component, as the Windows file
    // system does: the full path of the file as it is named on disk, or ""
    // when there is none.
    virtual std::string findOrdinaryFile(const std::string& path) = 0;
    // The folder that holds the running program, without a trailing
    // separator, and the program's file name without folder and extension.
    virtual std::string programFolder() = 0;
    virtual std::string programBaseName() = 0;
    virtual std::string currentDirectory() = 0;
    // What names the folder itself rather than a path to it: two paths that
    // reach one folder (through a symbolic link or a junction) give the same
    // text, so a search that meets it again knows. "" when that cannot be
    // told; never throws.
    virtual std::string folderIdentity(const std::string& /*path*/) { return {}; }
};

}  // namespace mokuji::os
