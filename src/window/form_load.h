#pragma once

#include "window/main_window.h"
#include "window/run_end.h"
#include "window/startup_context.h"

namespace mokuji::window {

// Sets the window's captions and tables and the default working path, then
// looks at the argument: without one the window is left to the user; with
// one the folder it names is listed unattended and its list file opened.
// Every message is shown through the context's view.
RunEnd Form_Load(MainWindow& window, const StartupContext& ctx);

}  // namespace mokuji::window
