#pragma once

#include "app/display_check.h"

namespace mokuji::app {

// The program with its window: shown and left to the user without an
// argument, shown disabled during the unattended run with one. Returns the
// process's exit status.
int RunDesktop(int& argc, char** argv);

}  // namespace mokuji::app
