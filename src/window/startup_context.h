#pragma once

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include "automation/object_model.h"
#include "os/file_system.h"
#include "os/shell.h"
#include "run/folder_gathering.h"
#include "view/run_view.h"
#include "window/gathering_settings.h"
#include "window/rows_request.h"

namespace mokuji::window {

// How long a message box of an unattended run waits for somebody to
// confirm it before it closes by itself, on every platform.
inline constexpr std::chrono::seconds kUnattendedMessageTimeout{60};

// The gathering step, handed in so that start-up can be tried out without
// reading a folder.
using Gatherer = std::function<run::GatherResult(const run::GatherContext&)>;

// Everything start-up works with besides the window's own state.
struct StartupContext {
    os::FileSystem& fs;
    os::Shell& shell;
    view::RunView& view;
    automation::ApplicationFactory createApplication;
    Gatherer gather;
    // The whole command line after the program's name, not split into words.
    std::string arguments;
    // Centres the window on the screen, once a window exists to centre.
    std::function<void()> centreWindow;
    GatheringSettings gathering = {};
    // Set when the run writes its rows for other programs instead of the
    // list; "-" sends them to standardOutput.
    std::optional<RowsRequest> rows = {};
    StandardOutput standardOutput = {};
};

}  // namespace mokuji::window
