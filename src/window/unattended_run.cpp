#include "window/unattended_run.h"

#include <utility>

#include "os/path_names.h"
#include "view/busy_window.h"
#include "window/command_line.h"
#include "window/run_sequence.h"
#include "window/startup_messages.h"

namespace mokuji::window {

namespace {

// The path the argument names, and what is there. Several files dropped on
// a shortcut or sent to it come to Windows as one line: when each of its
// words names something, the last one is taken, as the window takes the
// last item of a drop. On Linux the arguments come split already, and a
// path is never split again.
std::pair<std::string, os::FileAttributes> resolve(const StartupContext& ctx,
                                                   const std::string& argument) {
    std::string path =
        ResolvedArgument(argument, ctx.fs.programFolder(), ctx.fs.currentDirectory());
    os::FileAttributes found = ctx.fs.attributes(path);
#ifdef _WIN32
    if (!found.exists) {
        const std::vector<std::string> words = WordsOf(ctx.arguments);
        std::string last;
        os::FileAttributes lastFound;
        for (const std::string& word : words) {
            last = ResolvedArgument(word, ctx.fs.programFolder(), ctx.fs.currentDirectory());
            lastFound = ctx.fs.attributes(last);
            if (!lastFound.exists) break;
        }
        if (words.size() > 1 && lastFound.exists) return {last, lastFound};
    }
#endif
    return {path, found};
}

}  // namespace

RunEnd RunUnattended(MainWindow& window, const StartupContext& ctx, const std::string& argument) {
    view::RunView& view = ctx.view;
    // Busy from the start: the window shows as it will be for the whole run.
    view::MakeWindowBusy(view);
    view.doEvents();
    const auto [path, found] = resolve(ctx, argument);
    if (!found.exists) {
        view::GiveWindowBack(view);
        view.showMessage(PathNotFoundMessage(argument, path));
        return RunEnd::BadArgument;
    }
    if (!found.directory && path == ctx.shell.documentThatStartedUs()) {
        // The desktop chose this program to show the list it has just
        // written: a run would write it again and open it again, for ever.
        view::GiveWindowBack(view);
        view.showMessage(OpenedWithItselfMessage(path));
        return RunEnd::BadArgument;
    }
    window.g_mokuji_path = WorkingPathFor(path, found.directory);
    return RunWorkingFolder(window, ctx, NoWorkbooksMessage(os::FolderOf(window.g_mokuji_path)));
}

}  // namespace mokuji::window
