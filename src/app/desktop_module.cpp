// The window as a module of its own: the program loads it only when there
// is a display, so an unattended run without one never loads the window
// toolkit (its libraries alone doubled the memory of such a run).

#include "app/desktop_main.h"

extern "C" __attribute__((visibility("default"))) int mokuji_run_desktop(int* argc, char** argv) {
    return mokuji::app::RunDesktop(*argc, argv);
}
