#include "window/run_command.h"

#include "dialogs/common_dialog.h"
#include "list_file/list_layout.h"
#include "os/path_names.h"

namespace mokuji::window {

namespace {

// The platform's extended error for a file buffer too small for the choice.
constexpr std::int32_t kBufferTooSmall = 0x3003;

std::optional<RunEnd> runOnGatheredList(MainWindow& window, const StartupContext& ctx,
                                        const DialogHost& dialogs, bool sayWhenEmpty) {
    // The user was told why nothing was chosen: running the earlier list
    // again would answer a question not asked.
    if (sub_mokuji_select(window, ctx, dialogs) == ListFileChoice::TooMany) return std::nullopt;
    if (window.List1.ListCount() == 0) {
        TellNothingGathered(window, ctx.view, sayWhenEmpty ? ui::Text(kNoSheetsMessage) : "");
        return std::nullopt;
    }
    return MakeAndOpenList(window, ctx);
}

}  // namespace

std::string ListFileDialogFilter(const GatheringSettings& gathering) {
    const std::string pattern = gathering.pattern();
    return ui::Text("目次ファイル ({1})", {list_file::kListFileName}) + "|" +
           list_file::kListFileName + "|" + "EXCEL Files (" + pattern + ")|" + pattern;
}

std::string WorkingPathOfChoice(const std::string& chosen) {
    const std::size_t folderEnd = chosen.find('\0');
    if (folderEnd == std::string::npos) return chosen;
    std::string folder = chosen.substr(0, folderEnd);
    const std::size_t nameStart = folderEnd + 1;
    const std::string name = chosen.substr(nameStart, chosen.find('\0', nameStart) - nameStart);
    // A folder at the root of a drive or file system already ends in the
    // separator.
    if (folder.empty() || folder.back() != os::kPathSeparator) folder += os::kPathSeparator;
    return folder + name;
}

ListFileChoice sub_mokuji_select(MainWindow& window, const StartupContext& ctx,
                                 const DialogHost& dialogs) {
    std::string chosen;
    std::int32_t error = 0;
    {
        dialogs::cCommonDlg dialog(dialogs.layer);
        dialog.Form(dialogs.owner);
        dialog.DialogTitle(ui::Text(kListFileDialogTitle));
        dialog.Filter(ListFileDialogFilter(ctx.gathering));
        dialog.FilterIndex(1);
        dialog.flags(kListFileDialogFlags);
        dialog.MaxFileSize(kListFileDialogBufferSize);
        dialog.InitDir(ctx.fs.currentDirectory());
        dialog.CancelError(true);
        dialog.FileName(window.g_mokuji_path);
        dialog.ShowOpen();
        chosen = dialog.FileName();
        error = dialog.ErrNumber();
    }
    if (error == kBufferTooSmall) {
        ctx.view.showMessage(ui::Text(kTooManyChosenMessage));
        return ListFileChoice::TooMany;
    }
    if (chosen.empty()) return ListFileChoice::Cancelled;
    window.g_mokuji_path = WorkingPathOfChoice(chosen);
    GatherWorkingFolder(window, ctx);
    return ListFileChoice::Chosen;
}

std::optional<RunEnd> cmd_run_Click(MainWindow& window, const StartupContext& ctx,
                                    const DialogHost& dialogs) {
    return runOnGatheredList(window, ctx, dialogs, false);
}

std::optional<RunEnd> mnu_make_Click(MainWindow& window, const StartupContext& ctx,
                                     const DialogHost& dialogs) {
    return runOnGatheredList(window, ctx, dialogs, true);
}

}  // namespace mokuji::window
