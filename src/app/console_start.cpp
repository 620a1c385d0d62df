#include "app/console_start.h"

#include <ostream>
#include <utility>

#include "app/form_load.h"
#include "app/main_window.h"
#include "app/startup_messages.h"
#include "app/untrapped_failure.h"
#include "gather/folder_gathering.h"
#include "platform/console_run_view.h"

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
