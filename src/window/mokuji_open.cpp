#include "window/mokuji_open.h"

#include "list_file/list_layout.h"
#include "os/path_names.h"
#include "os/shell_open.h"

namespace mokuji::window {

void sub_mokuji_open(const std::string& g_mokuji_path, const std::string& listFileName,
                     os::FileSystem& fs, os::Shell& shell) {
    std::string found = fs.findOrdinaryFile(os::FolderOf(g_mokuji_path) + listFileName);
    if (found.empty()) return;
    // The lookup ignores letter case; opening the name it found works on a
    // file system that does not.
    os::ShellOpen(found, shell);
}

}  // namespace mokuji::window
