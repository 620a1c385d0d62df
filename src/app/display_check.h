#pragma once

namespace mokuji::app {

// Whether a window can be shown: Qt ends the process inside its
// application's constructor when it finds no display, so this is asked
// before one is made.
bool DisplayAvailable();

}  // namespace mokuji::app
