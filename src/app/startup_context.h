#pragma once

#include <functional>
#include <string>

#include "app/gathering_settings.h"
#include "automation/object_model.h"
#include "gather/folder_gathering.h"
#include "platform/file_system.h"
#include "platform/run_view.h"
#include "platform/shell.h"

namespace mokuji::app {

// The gathering step, handed in so that start-up can be tried out without
// reading a folder.
using Gatherer = std::function<gather::GatherResult(const gather::GatherContext&)>;

// Everything start-up works with besides the window's own state.
struct StartupContext {
    platform::FileSystem& fs;
    platform::Shell& shell;
    platform::RunView& view;
    automation::ApplicationFactory createApplication;
    Gatherer gather;
    // The whole command line after the program's name, not split into words.
    std::string arguments;
    // Centres the window on the screen, once a window exists to centre.
    std::function<void()> centreWindow;
    GatheringSettings gathering = {};
};

}  // namespace mokuji::app
