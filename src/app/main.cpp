// mokuji: lists the workbooks of the folder given on the command line in
// that folder's list file and opens it.

#include <dlfcn.h>
#include <malloc.h>

#include <filesystem>
#include <iostream>
#include <vector>

#include "automation/native/native_application.h"
#include "console/console_run_view.h"
#include "console/console_start.h"
#include "console/terminal_line.h"
#include "os/posix_file_system.h"
#include "os/xdg_shell.h"
#include "ui/text.h"
#include "window/command_line.h"
#include "window/display_check.h"
#include "window/form_load.h"
#include "window/information_request.h"
#include "window/settings_file.h"
#include "window/startup_messages.h"

namespace {

// The window lives in a module, loaded only when there is a display to show
// it on: beside the program in the build tree, or installed, in the module
// folder MOKUJI_DESKTOP_MODULE_DIR names relative to the program's, so that
// an installed tree can be moved whole (a package's prefix). Returns false
// when it cannot be loaded.
bool runDesktop(const std::string& programFolder, int& argc, char** argv,
                const std::string& extensions, const std::string& arguments, int& status) {
#ifdef MOKUJI_DESKTOP_MODULE
    void* module = nullptr;
    std::string errors;
    for (const char* folder : {"", "/" MOKUJI_DESKTOP_MODULE_DIR}) {
        std::string path = programFolder + folder + "/" + MOKUJI_DESKTOP_MODULE;
        module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module) break;
        errors += (errors.empty() ? "" : "; ") + std::string(dlerror());
    }
    if (!module) {
        std::cerr << "mokuji: no window (" << errors << "); working without one\n";
        return false;
    }
    using Entry = int (*)(int*, char**, const char*, const char*);
    auto entry = reinterpret_cast<Entry>(dlsym(module, "mokuji_run_desktop"));
    if (!entry) return false;
    status = entry(&argc, argv, extensions.c_str(), arguments.c_str());
    return status != mokuji::window::kNoDisplayOpened;
#else
    (void)programFolder, (void)argc, (void)argv, (void)extensions, (void)arguments, (void)status;
    return false;
#endif
}

}  // namespace

int main(int argc, char** argv) {
    using namespace mokuji;
    ui::UseLanguage(ui::SystemLanguage());
    os::PosixFileSystem fs;
    const window::StartOptions options = window::ParseArguments(
        std::vector<std::string>(argv + 1, argv + argc), [](const std::string& path) {
            std::error_code error;
            return std::filesystem::exists(path, error);
        });
    if (options.request) {
        std::cout << console::ConsoleText(
                         window::InformationAnswer(*options.request, fs.programBaseName()))
                  << std::flush;
        // Told, like any command, when the answer could not be written.
        return std::cout ? 0 : 1;
    }
    if (!options.usageError.empty()) {
        std::cerr << console::ConsoleText(
                         window::UsageErrorMessage(options.usageError, fs.programBaseName()))
                  << std::flush;
        return window::ExitStatusOf(window::RunEnd::BadArgument);
    }
    std::string problem;
    const auto gathering =
        window::LoadGatheringSettings(options.gathering, fs.programFolder(), &problem);
    if (!gathering) {
        std::cerr << console::ConsoleText(window::UsageErrorMessage(problem, fs.programBaseName()))
                  << std::flush;
        return window::ExitStatusOf(window::RunEnd::BadArgument);
    }
    if (!problem.empty()) std::cerr << console::ConsoleText(problem + "\r\n") << std::flush;
#ifdef M_ARENA_MAX
    // Workbooks are read on threads and their rows freed on this one as they
    // enter the list; with an arena a thread, that memory could not serve
    // the list's cells, and a long run would hold both. Zip-based workbooks
    // allocate many times more while they are read: with one arena the
    // readers wait on its lock for a quarter of a run over them (0.22 s
    // against 0.16 s over 1,000), so such a run gives each its own.
    const bool onlyBinary = gathering->extensions == std::vector<std::string>{"xls"};
    mallopt(M_ARENA_MAX, onlyBinary ? 1 : 3);
#endif
    std::string extensions;
    for (const auto& e : gathering->extensions) extensions += (extensions.empty() ? "" : ",") + e;
    int status = 0;
    // The toolkit is handed the program's name alone: every argument was
    // ours to read, and one it took for its own would be lost to the run.
    int toolkitArgc = 1;
    char* toolkitArgv[] = {argv[0], nullptr};
    // Rows for a pipeline are the console's to write, display or not.
    if (!options.rows && window::DisplayAvailable() &&
        runDesktop(fs.programFolder(), toolkitArgc, toolkitArgv, extensions, options.arguments,
                   status))
        return status;
    // Without a display that opens (or without the window) the start is a
    // console start.
    os::XdgShell shell;
    return console::RunWithoutWindow(fs, shell, xls::native::createApplication, options.arguments,
                                     std::cerr, console::StandardErrorColumns(), *gathering,
                                     options.verbose, options.rows, [](std::string_view text) {
                                         std::cout.write(text.data(),
                                                         static_cast<std::streamsize>(text.size()));
                                         std::cout.flush();
                                         return static_cast<bool>(std::cout);
                                     });
}
