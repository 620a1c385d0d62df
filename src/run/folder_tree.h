#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "os/file_system.h"

namespace mokuji::run {

// How deep and how wide a search of subfolders may go before it stops: a
// folder of answers is a few levels of departments and months, not a whole
// disk chosen by mistake.
inline constexpr int kMaxFolderDepth = 32;
inline constexpr std::size_t kMaxFolders = 20000;

// What a search of a folder and its subfolders found.
struct FolderTree {
    // The files whose extension is one of the patterns, by their paths
    // relative to the folder searched (platform separators), each folder's
    // files before its subfolders'.
    std::vector<std::string> files;
    // Subfolders left out because the search had been in them already,
    // through a link that leads back up or across (relative, ending in the
    // separator).
    std::vector<std::string> reachedAgain;
    // Subfolders that could not be listed, and why: "" when for want of
    // permission, else the system's words.
    std::vector<std::pair<std::string, std::string>> unreadable;
    // The limit the search stopped at, when it did: "" when none.
    std::string limitReached;
};

struct FolderTreeSearch {
    os::FileSystem& fs;
    // Lets pending window events run while a large tree is listed. May be
    // empty.
    std::function<void()> doEvents;
    // "*.xls;*.xlsx", as the folder search takes patterns.
    std::string extensions;
};

// Searches folder (ending in the separator, "" for the current one) and
// every subfolder below it that is not hidden, following links to folders
// but never into a folder twice. Never throws for what it finds on disk.
FolderTree SearchFolderTree(const std::string& folder, const FolderTreeSearch& search);

}  // namespace mokuji::run
