#include "console/console_start.h"

#include <ostream>
#include <utility>

#include "console/console_run_view.h"
#include "run/folder_gathering.h"
#include "window/form_load.h"
#include "window/main_window.h"
#include "window/startup_messages.h"
#include "window/untrapped_failure.h"

namespace mokuji::app {

int RunWithoutWindow(platform::FileSystem& fs, platform::Shell& shell,
                     automation::ApplicationFactory createApplication, std::string arguments,
                     std::ostream& console, int terminalColumns, GatheringSettings gathering,
                     bool verbose) {
    platform::ConsoleRunView view(console, terminalColumns, verbose);
    MainWindow window;
    StartupContext ctx{fs,
                       shell,
                       view,
                       std::move(createApplication),
                       gather::GatherFolder,
                       std::move(arguments),
                       {},
                       std::move(gathering)};
    RunEnd outcome = RunEnd::WaitForUser;
    if (!RunTrapped([&] { outcome = Form_Load(window, ctx); }, view))
        return kUntrappedFailureStatus;
    if (outcome == RunEnd::WaitForUser) {
        // There is no window to leave to the user: say how to start.
        view.showMessage(UsageText(fs.programBaseName()));
    }
    return ExitStatusOf(outcome);
}

}  // namespace mokuji::app
