#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "window/startup_context.h"

namespace mokuji::console {

// The program without a window: the unattended run with captions and
// messages on the console, or, without an argument, how to start it.
// terminalColumns is the width of the terminal the console is, or 0 when it
// is none; verbose asks for the captions there too (see ConsoleRunView).
// rows asks for the rows for other programs instead of the list, "-" sending
// them to standardOutput. Returns the process's exit status.
int RunWithoutWindow(os::FileSystem& fs, os::Shell& shell,
                     automation::ApplicationFactory createApplication, std::string arguments,
                     std::ostream& console, int terminalColumns = 0,
                     window::GatheringSettings gathering = {}, bool verbose = false,
                     std::optional<window::RowsRequest> rows = {},
                     window::StandardOutput standardOutput = {});

}  // namespace mokuji::console
