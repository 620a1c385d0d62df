#include "run/find_files.h"

#include <vector>

#include "native/text/ascii.h"
#include "os/path_names.h"

namespace mokuji::run {

namespace {

void yield(const FileSearch& search) {
    if (search.doEvents) search.doEvents();
}

std::vector<std::string> listOrNothing(const std::string& folder, const FileSearch& search) {
    try {
        return search.fs.listFolder(folder);
    } catch (const os::FileSystemError&) {
        // One unreadable folder, say one without the right to list it, must
        // not cost the entries of every other folder.
        return {};
    }
}

// Left as it is, an empty folder would become the root: not what a bare
// file name given as the working path means.
std::string currentDirectory(os::FileSystem& fs) {
    std::string here = fs.currentDirectory();
    return here.empty() ? std::string(".") : here;
}

}  // namespace

void FindFiles(std::string folder, std::string extensions, bool descend, ListBox& list,
               const FileSearch& search) {
    if (folder.empty()) folder = currentDirectory(search.fs);
    if (!folder.empty() && folder.back() == os::kPathSeparator) folder.pop_back();
    list.Clear();
    FindFilesInFolder(folder + os::kPathSeparator, extensions + ";", descend, list, search);
}

void FindFilesInFolder(const std::string& folder, const std::string& extensions, bool descend,
                       ListBox& list, const FileSearch& search) {
    // Subfolders wait until this listing is done, so that only one listing
    // is open at any time.
    std::vector<std::string> subfolders;
    for (const std::string& name : listOrNothing(folder, search)) {
        yield(search);
        if (name == "." || name == "..") continue;
        const os::FileAttributes a = search.fs.attributes(folder + name);
        if (!a.exists || a.hidden || a.system) continue;
        if (a.directory) {
            subfolders.push_back(name);
        } else {
            AddFoundEntry(folder, name, extensions, true, list, search);
        }
    }
    if (!descend) return;
    for (const std::string& s : subfolders) {
        AddFoundEntry(folder, s + os::kPathSeparator, extensions, false, list, search);
        FindFilesInFolder(folder + s + os::kPathSeparator, extensions, true, list, search);
    }
}

void AddFoundEntry(const std::string& folder, const std::string& name,
                   const std::string& extensions, bool isFile, ListBox& list,
                   const FileSearch& search) {
    yield(search);
    if (!os::HasListedExtension(name, extensions)) return;
    // The program's own folder reserves these two names for the program.
    const std::string upperName = xls::text::upperAscii(name);
    if ((upperName == "OUT.TXT" || upperName == "TMP.TXT") &&
        xls::text::upperAscii(folder) ==
            xls::text::upperAscii(search.fs.programFolder()) + os::kPathSeparator)
        return;
    list.AddItem(isFile ? name : folder + name);
}

}  // namespace mokuji::run
