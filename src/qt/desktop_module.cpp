// The window as a module of its own: the program loads it only when there
// is a display, so an unattended run without one never loads the window
// toolkit (its libraries alone doubled the memory of such a run).

#include "qt/desktop_main.h"
#include "ui/text.h"

// extensions: the gathered extensions, comma-separated, and arguments: the
// path of the run or nothing, as the program settled them before loading
// the module.
extern "C" __attribute__((visibility("default"))) int mokuji_run_desktop(int* argc, char** argv,
                                                                         const char* extensions,
                                                                         const char* arguments) {
    // The module holds its own copy of the choice; it reads the same
    // environment as the program did.
    mokuji::ui::UseLanguage(mokuji::ui::SystemLanguage());
    mokuji::window::GatheringSettings gathering;
    if (auto list = mokuji::window::ParseExtensions(extensions)) gathering.extensions = *list;
    return mokuji::qt::RunDesktop(*argc, argv, arguments, std::move(gathering));
}
