#pragma once

#include "app/main_window.h"
#include "app/startup_context.h"

namespace mokuji::app {

// How start-up ended.
enum class StartupOutcome {
    // No argument: the window waits for the user.
    WaitForUser,
    // An unattended run wrote the list file.
    ListWritten,
    // The working folder holds no workbook to list.
    NothingGathered,
    // The run could not start the application or save the list file.
    ListNotSaved,
    // The list file was saved, but some workbook's row could not be wholly
    // written into it.
    ListIncomplete,
    // The argument is no path, or names nothing that exists.
    BadArgument,
    // The list file or the template workbook could not be read.
    ReadFailed,
    // The list file is open in another program and was left alone.
    ListHeld,
};

// Sets the window's captions and tables and the default working path, then
// looks at the argument: without one the window is left to the user; with
// one the folder it names is listed unattended and its list file opened.
// Every message is shown through the context's view.
StartupOutcome Form_Load(MainWindow& window, const StartupContext& ctx);

// The process's exit status after start-up: 0 only when a run wrote the
// list file.
int ExitStatusOf(StartupOutcome outcome);

}  // namespace mokuji::app
