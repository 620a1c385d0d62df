// mokuji: lists the workbooks of the folder given on the command line in
// that folder's list file and opens it.

#include <iostream>

#include "app/command_line.h"
#ifdef MOKUJI_WITH_WINDOW
#include "app/desktop_main.h"
#endif
#include "app/form_load.h"
#include "app/startup_messages.h"
#include "gather/sub_read.h"
#include "native/automation/native_application.h"
#include "platform/console_run_view.h"
#include "platform/posix_file_system.h"
#include "platform/xdg_shell.h"

int main(int argc, char** argv) {
    using namespace mokuji;
#ifdef MOKUJI_WITH_WINDOW
    if (app::DisplayAvailable()) return app::RunDesktop(argc, argv);
#endif
    // Without a display (or without the window toolkit) the start is a
    // console start.
    platform::PosixFileSystem fs;
    platform::XdgShell shell;
    platform::ConsoleRunView view(std::cerr);
    app::MainWindow window;
    app::StartupContext ctx{fs,
                            shell,
                            view,
                            xls::native::createApplication,
                            gather::sub_read,
                            app::JoinArguments(argc, argv),
                            {}};
    app::StartupOutcome outcome = app::Form_Load(window, ctx);
    if (outcome == app::StartupOutcome::WaitForUser) {
        // There is no window to leave to the user: say how to start.
        std::cerr << platform::ConsoleText(app::UsageText(fs.programBaseName()));
    }
    return app::ExitStatusOf(outcome);
}
