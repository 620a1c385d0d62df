#pragma once

namespace mokuji::app {

// Whether a window can be shown: Qt ends the process inside its
// application's constructor when it finds no display, so this is asked
// before one is made.
bool DisplayAvailable();

// The program with its window: shown and left to the user without an
// argument, shown disabled during the unattended run with one. Returns the
// process's exit status.
int RunDesktop(int& argc, char** argv);

}  // namespace mokuji::app
