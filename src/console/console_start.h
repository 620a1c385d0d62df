#pragma once

#include <iosfwd>
#include <string>

#include "window/startup_context.h"

namespace mokuji::console {

// The program without a window: the unattended run with captions and
// messages on the console, or, without an argument, how to start it.
// terminalColumns is the width of the terminal the console is, or 0 when it
// is none; verbose asks for the captions there too (see ConsoleRunView).
// Returns the process's exit status.
int RunWithoutWindow(os::FileSystem& fs, os::Shell& shell,
                     automation::ApplicationFactory createApplication, std::string arguments,
                     std::ostream& console, int terminalColumns = 0,
                     window::GatheringSettings gathering = {}, bool verbose = false);

}  // namespace mokuji::console
