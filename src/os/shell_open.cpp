#include "os/shell_open.h"

#include "native/text/ascii.h"
#include "os/path_names.h"

namespace mokuji::os {

ShellOpenResult ShellOpen(std::string path, Shell& shell) {
#ifdef _WIN32
    // Only the file's own extension makes a program: a list file in a
    // folder such as "2024.exercises" or "tools.exe.d" is a document, and
    // starting it would run whatever was put there in its place.
    const std::string_view name = std::string_view(path).substr(LastComponentStart(path));
    if (xls::text::upperAscii(ExtensionOf(name)) == "EXE") {
        return shell.startProgram(path);
    }
#endif
    // On Linux a file is a program by its permissions, not its name, and
    // the only file opened is the list: it always goes to the opener.
    return static_cast<std::int32_t>(shell.openDocument(path, kShellWorkingFolder));
}

}  // namespace mokuji::os
