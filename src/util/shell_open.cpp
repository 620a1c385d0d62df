#include "util/shell_open.h"

#include <algorithm>

namespace mokuji::util {

namespace {

// Only ASCII letters matter for ".EXE", and folding them alone leaves every
// UTF-8 multi-byte sequence intact.
std::string upperAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    return text;
}

}  // namespace

ShellOpenResult ShellOpen(std::string path, platform::Shell& shell) {
    // The whole path is looked at, folders included, so a document in a
    // folder such as "tools.exe" is taken for a program.
    if (upperAscii(path).find(".EXE") != std::string::npos) {
        return shell.startProgram(path);
    }
    return static_cast<std::int32_t>(shell.openDocument(path, kShellWorkingFolder));
}

}  // namespace mokuji::util
