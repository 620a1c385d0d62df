#pragma once

#include <chrono>
#include <string>

#include "window/display_check.h"
#include "window/gathering_settings.h"
#include "window/startup_context.h"

namespace mokuji::qt {

// The program with its window: shown and left to the user without an
// argument, shown disabled during the unattended run with one. Returns the
// process's exit status, or kNoDisplayOpened when Qt could open no display.
int RunDesktop(int& argc, char** argv, std::string arguments,
               window::GatheringSettings gathering = {});

}  // namespace mokuji::qt
