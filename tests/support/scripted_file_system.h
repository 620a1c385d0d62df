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

#ifdef _WIN32
#include "os/win32/win32_file_system.h"
#else
#include "os/posix_file_system.h"
#endif

namespace fake {

// The file system the program itself uses on the platform the tests run on.
#ifdef _WIN32
using MachineFileSystem = mokuji::os::win::Win32FileSystem;
#else
using MachineFileSystem = mokuji::os::PosixFileSystem;
#endif

class ScriptedFileSystem : public MachineFileSystem {
  public:
    std::vector<std::string> listFolder(const std::string& folder) override {
        if (unlistable.count(folder)) throw mokuji::os::FileSystemError("cannot list " + folder);
        std::vector<std::string> names = MachineFileSystem::listFolder(folder);
        auto ghosts = vanishing.find(folder);
        if (ghosts != vanishing.end())
            names.insert(names.begin(), ghosts->second.begin(), ghosts->second.end());
        return names;
    }
    mokuji::os::FileAttributes attributes(const std::string& path) override {
        if (events) events->push_back("examine:" + path);
        return MachineFileSystem::attributes(path);
    }
    std::string programFolder() override {
        return programFolderIs ? *programFolderIs : MachineFileSystem::programFolder();
    }
    std::string currentDirectory() override {
        return currentDirectoryIs ? *currentDirectoryIs : MachineFileSystem::currentDirectory();
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
