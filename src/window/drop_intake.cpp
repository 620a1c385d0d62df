#include "window/drop_intake.h"

#include "list_file/list_layout.h"
#include "os/path_names.h"
#include "ui/text.h"

namespace mokuji::window {

std::string DroppedWorkingPath(const std::string& droppedPath, bool isFolder) {
    if (!isFolder) return droppedPath;
    // A root such as "/" already ends in the separator; doubling it would
    // put a stray separator into the path the file dialog is preset with.
    if (!droppedPath.empty() && droppedPath.back() == os::kPathSeparator) {
        return droppedPath + list_file::kListFileName;
    }
    return droppedPath + os::kPathSeparator + list_file::kListFileName;
}

std::optional<RunEnd> sub_OLEDragDrop(const std::vector<std::string>& droppedPaths,
                                      MainWindow& window, const StartupContext& ctx) {
    if (droppedPaths.empty()) return std::nullopt;
    // Each item would overwrite what the one before it set, so only the
    // last one is worth looking at.
    const std::string& last = droppedPaths.back();
    window.g_mokuji_path = DroppedWorkingPath(last, ctx.fs.attributes(last).directory);
    return RunWorkingFolder(window, ctx, ui::Text(kNoSheetsMessage));
}

}  // namespace mokuji::window
