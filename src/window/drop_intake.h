#pragma once

#include <optional>
#include <string>
#include <vector>

#include "window/main_window.h"
#include "window/run_sequence.h"
#include "window/startup_context.h"

namespace mokuji::window {

// The working path a dropped item names: a folder gives its own list file,
// anything else (whatever its type) keeps its path, so that its folder is
// the working folder.
std::string DroppedWorkingPath(const std::string& droppedPath, bool isFolder);

// Every part of the window hands its drops here, the dropped files and
// folders as full paths in the order delivered. The last item decides the
// working path; then that folder is listed and its list file written and
// opened. A drop without file names (text, a link) is ignored: nothing
// changes and nothing runs, shown by the empty result.
std::optional<RunEnd> sub_OLEDragDrop(const std::vector<std::string>& droppedPaths,
                                      MainWindow& window, const StartupContext& ctx);

}  // namespace mokuji::window
