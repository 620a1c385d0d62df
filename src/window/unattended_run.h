#pragma once

#include <string>

#include "window/form_load.h"

namespace mokuji::window {

// One run over the folder that argument (already unquoted, not empty) names:
// resolve it, gather, generate the list, open it. Ends with the window
// enabled and the pointer back to the default.
RunEnd RunUnattended(MainWindow& window, const StartupContext& ctx, const std::string& argument);

}  // namespace mokuji::window
