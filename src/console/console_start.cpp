#include "console/console_start.h"

#include <ostream>
#include <utility>

#include "console/console_run_view.h"
#include "run/folder_gathering.h"
#include "window/form_load.h"
#include "window/main_window.h"
#include "window/startup_messages.h"
#include "window/untrapped_failure.h"

namespace mokuji::console {

int RunWithoutWindow(os::FileSystem& fs, os::Shell& shell,
                     automation::ApplicationFactory createApplication, std::string arguments,
                     std::ostream& console, int terminalColumns,
                     window::GatheringSettings gathering, bool verbose,
                     std::optional<window::RowsRequest> rows,
                     window::StandardOutput standardOutput) {
    ConsoleRunView view(console, terminalColumns, verbose);
    window::MainWindow window;
    window::StartupContext ctx{fs,
                               shell,
                               view,
                               std::move(createApplication),
                               run::GatherFolder,
                               std::move(arguments),
                               {},
                               std::move(gathering),
                               std::move(rows),
                               std::move(standardOutput)};
    window::RunEnd outcome = window::RunEnd::WaitForUser;
    if (!window::RunTrapped([&] { outcome = window::Form_Load(window, ctx); }, view))
        return window::kUntrappedFailureStatus;
    if (outcome == window::RunEnd::WaitForUser) {
        // There is no window to leave to the user: say how to start.
        view.showMessage(window::UsageText(fs.programBaseName()));
    }
    return window::ExitStatusOf(outcome);
}

}  // namespace mokuji::console
