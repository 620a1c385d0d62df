#pragma once

#include <string>

namespace mokuji::window {

// Whether a window could be shown: a display is named, or a platform is
// asked for that shows windows. Qt ends the process inside its
// application's constructor when it cannot open its platform, so this is
// asked before one is made. An offscreen or minimal platform shows nothing
// to anybody: a run there would wait on message boxes nobody sees, so it
// counts as no display.
bool DisplayAvailable();
bool DisplayAvailable(const char* display, const char* waylandDisplay, const char* platform);

// The platforms Qt is to try, in order: the one asked for (or the usual
// ones) and then the minimal one, so that a display named but not there (a
// stale forwarding, a closed session) ends on the minimal platform instead
// of ending the process.
std::string PlatformsToTry(const char* requested);

// Whether the platform Qt ended up on shows windows to a person.
bool ShowsWindows(const std::string& platformName);

// What the window's start returns when no display could be opened after
// all: the program then takes its console start.
inline constexpr int kNoDisplayOpened = -1;

}  // namespace mokuji::window
