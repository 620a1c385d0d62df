#include "os/xdg_shell.h"

#include <unistd.h>
#include <cerrno>
#include <cstdlib>

#include "os/detached_process.h"

namespace mokuji::os {

namespace {

// The opener and the program run in another folder than ours, so a path
// relative to our current folder must be made absolute first.
std::string absolute(const std::string& path) {
    if (path.empty() || path.front() == '/') return path;
    std::string here(4096, '\0');
    if (getcwd(here.data(), here.size()) == nullptr) return path;
    here.resize(here.find('\0'));
    return here + (here.back() == '/' ? "" : "/") + path;
}

std::string defaultOpener() {
    const char* chosen = std::getenv("MOKUJI_OPENER");
    return chosen != nullptr && *chosen != '\0' ? chosen : "xdg-open";
}

}  // namespace

XdgShell::XdgShell(std::string opener)
    : opener_(opener.empty() ? defaultOpener() : std::move(opener)) {}

int XdgShell::openDocument(const std::string& path, const std::string& workingFolder) {
    const std::string document = absolute(path);
    DetachedStart started = StartDetached({opener_, document}, workingFolder, true,
                                          {std::string(kOpenedDocumentVariable) + "=" + document});
    if (started.pid != 0) return kOpenedDocument;
    // A desktop without an opener is no fault of the run: the caller gets
    // the low value and carries on.
    return started.error == ENOENT || started.error == EACCES ? kOpenerNotFound
                                                              : kOpenerOutOfResources;
}

std::string XdgShell::documentThatStartedUs() const {
    const char* document = std::getenv(kOpenedDocumentVariable);
    return document != nullptr ? document : "";
}

double XdgShell::startProgram(const std::string& path) {
    // A program keeps our current folder, as a program started from ours
    // would; only documents get the shell's working folder.
    return static_cast<double>(StartDetached({absolute(path)}, ".", false).pid);
}

}  // namespace mokuji::os
