#pragma once

#include <functional>
#include <string>

#include "os/file_system.h"
#include "run/list_box.h"

namespace mokuji::run {

// What the search needs of its surroundings.
struct FileSearch {
    os::FileSystem& fs;
    // Lets pending window events run, so the window repaints while a large
    // folder is listed. May be empty.
    std::function<void()> doEvents;
};

// Clears list, then adds every entry of folder whose extension is one of
// extensions: patterns separated by ";" of which only the part from the last
// "." counts ("*.xls;*.xlt"), written in lower case; "*.*" passes every
// entry. Files are added by their bare name, at whatever level they were
// found. With descend, subfolders are searched depth-first after the files
// of their folder, and a subfolder that passes the filter is added as its
// full path followed by the separator. Hidden and system entries are
// neither added nor entered; OUT.TXT and TMP.TXT in the program's own folder
// are never added. An empty folder is the current directory.
//
// Never throws for what it finds on disk: a folder that cannot be listed
// adds nothing, and an entry that vanished after the listing is skipped.
void FindFiles(std::string folder, std::string extensions, bool descend, ListBox& list,
               const FileSearch& search);

// One folder level: folder ends with the separator, extensions with ";".
void FindFilesInFolder(const std::string& folder, const std::string& extensions, bool descend,
                       ListBox& list, const FileSearch& search);

// The filter for one entry; a subfolder's name ends with the separator.
void AddFoundEntry(const std::string& folder, const std::string& name,
                   const std::string& extensions, bool isFile, ListBox& list,
                   const FileSearch& search);

}  // namespace mokuji::run
