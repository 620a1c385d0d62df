#pragma once

namespace mokuji::window {

// How a start-up or a run ended: the one account from which the messages
// were told and the exit status is taken.
enum class RunEnd {
    // No argument: the window waits for the user.
    WaitForUser,
    ListWritten,
    // Nothing to list: the caller's message was shown, nothing was written.
    NothingGathered,
    // The application did not start or the list file was not saved.
    ListNotSaved,
    // The list file was saved without some value a workbook gave.
    ListIncomplete,
    // The argument is no path, names nothing that exists, or is a usage
    // error.
    BadArgument,
    // The folder, the list file or the template could not be read.
    ReadFailed,
    // The list file is open in another program; it was left alone.
    ListHeld,
};

// The process's exit status: 0 only when a run wrote the list file; 64, as
// sysexits names a usage error, for a bad argument.
int ExitStatusOf(RunEnd end);

}  // namespace mokuji::window
