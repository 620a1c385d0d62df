#pragma once

#include <chrono>

#include "app/display_check.h"
#include "app/gathering_settings.h"

namespace mokuji::app {

// How long a message box of an unattended run waits for somebody to
// confirm it before it closes by itself.
inline constexpr std::chrono::seconds kUnattendedMessageTimeout{60};

// The program with its window: shown and left to the user without an
// argument, shown disabled during the unattended run with one. Returns the
// process's exit status, or kNoDisplayOpened when Qt could open no display.
int RunDesktop(int& argc, char** argv, GatheringSettings gathering = {});

}  // namespace mokuji::app
