#pragma once

// The real file system of the machine, with what tests cannot arrange on
// disk scripted on top: where the program lives, the current directory,
// names that vanish between listing and examining, folders that cannot be
// listed, and a record of which paths were examined.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/posix_file_system.h"

namespace fake {

class ScriptedFileSystem : public mokuji::platform::PosixFileSystem {
  public:
    std::vector<std::string> listFolder(const std::string& folder) override {
        if (unlistable.count(folder))
            throw mokuji::platform::FileSystemError("cannot list " + folder);
        std::vector<std::string> names = PosixFileSystem::listFolder(folder);
        auto ghosts = vanishing.find(folder);
        if (ghosts != vanishing.end())
            names.insert(names.begin(), ghosts->second.begin(), ghosts->second.end());
        return names;
    }
    mokuji::platform::FileAttributes attributes(const std::string& path) override {
        if (events) events->push_back("examine:" + path);
        return PosixFileSystem::attributes(path);
    }
    std::string programFolder() override {
        return programFolderIs ? *programFolderIs : PosixFileSystem::programFolder();
    }
    std::string currentDirectory() override {
        return currentDirectoryIs ? *currentDirectoryIs : PosixFileSystem::currentDirectory();
    }

    std::optional<std::string> programFolderIs;
    std::optional<std::string> currentDirectoryIs;
    // Folder (as the caller passes it) -> names listed first that are not
    // on disk.
    std::map<std::string, std::vector<std::string>> vanishing;
    std::set<std::string> unlistable;
    std::vector<std::string>* events = nullptr;
};

}  // namespace fake
