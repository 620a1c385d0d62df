#include "window/mokuji_open.h"

#include "list_file/list_layout.h"
#include "os/path_names.h"
#include "os/shell_open.h"

namespace mokuji::app {

void sub_mokuji_open(const std::string& g_mokuji_path, platform::FileSystem& fs,
                     platform::Shell& shell) {
    std::string found = fs.findOrdinaryFile(util::FolderOf(g_mokuji_path) + engine::kListFileName);
    if (found.empty()) return;
    // The lookup ignores letter case; opening the name it found works on a
    // file system that does not.
    util::ShellOpen(found, shell);
}

}  // namespace mokuji::app
