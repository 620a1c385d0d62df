#pragma once

#include <chrono>
#include <string>

#include "app/display_check.h"
#include "app/gathering_settings.h"
#include "app/startup_context.h"

namespace mokuji::app {

// The program with its window: shown and left to the user without an
// argument, shown disabled during the unattended run with one. Returns the
// process's exit status, or kNoDisplayOpened when Qt could open no display.
int RunDesktop(int& argc, char** argv, std::string arguments, GatheringSettings gathering = {});

}  // namespace mokuji::app
