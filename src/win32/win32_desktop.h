#pragma once

#include <string>

#include "window/startup_context.h"

namespace mokuji::win32 {

// What RunWin32Desktop returns when the system makes no window (Wine
// without a display, a service's session): nothing has run yet, so the
// program can start on the console instead. No exit status is negative.
inline constexpr int kNoDesktopWindow = -1;

// The program with its Win32 window: shown and left to the user without an
// argument, shown disabled during the unattended run with one. Returns the
// process's exit status, or kNoDesktopWindow.
int RunWin32Desktop(os::FileSystem& fs, os::Shell& shell,
                    automation::ApplicationFactory createApplication, window::Gatherer gather,
                    std::string arguments, window::GatheringSettings gathering = {});

}  // namespace mokuji::win32
