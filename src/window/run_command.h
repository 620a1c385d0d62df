#pragma once

#include <memory>
#include <optional>
#include <string>

#include "dialogs/dialog_layer.h"
#include "window/main_window.h"
#include "window/run_sequence.h"
#include "window/startup_context.h"

namespace mokuji::window {

// The platform's dialogs and the window that owns them, for the run command.
struct DialogHost {
    dialogs::DialogLayer& layer;
    std::shared_ptr<dialogs::OwnerWindow> owner;
};

inline constexpr const char* kListFileDialogTitle = "目次ファイル読込";
// Hide read-only, allow multiple selection, path must exist, explorer
// style, long names.
inline constexpr std::int32_t kListFileDialogFlags = 2624004;

// Room for the names of a multiple selection, in characters: the most the
// system's dialogs take, enough for a thousand names of twenty-odd
// characters each.
inline constexpr std::int32_t kListFileDialogBufferSize = 32767;
// Told when the names chosen at once do not fit even so.
inline constexpr const char* kTooManyChosenMessage =
    "選択したファイルが多すぎて受け取れませんでした。\r\n"
    "フォルダのファイルを1つだけ選んでください。";

// The list-file dialog's filter: the list file by its fixed name, then
// every workbook.
std::string ListFileDialogFilter(const GatheringSettings& gathering);

// The working path a confirmed choice gives. One file keeps its path. A
// multiple selection comes back as the folder and the names, each ended by a
// NUL; it becomes the path of the first name chosen, so that the working
// folder is the folder of the chosen files.
std::string WorkingPathOfChoice(const std::string& chosen);

enum class ListFileChoice { Chosen, Cancelled, TooMany };

// Lets the user pick the list file, or any workbook, of the folder to be
// listed, preset with the working path. A choice becomes the working path
// and that folder is gathered; a cancel changes nothing. A selection too
// long for the dialog's buffer is told to the user and changes nothing.
ListFileChoice sub_mokuji_select(MainWindow& window, const StartupContext& ctx,
                                 const DialogHost& dialogs);

// The button and the menu item: the dialog, then a run over whatever List1
// holds, which after a cancel is what an earlier drop or choice gathered.
// When List1 is empty the menu item says so and the button stays silent.
// A selection the dialog could not hand back makes no run. Empty when no
// run was made.
std::optional<RunEnd> cmd_run_Click(MainWindow& window, const StartupContext& ctx,
                                    const DialogHost& dialogs);
std::optional<RunEnd> mnu_make_Click(MainWindow& window, const StartupContext& ctx,
                                     const DialogHost& dialogs);

}  // namespace mokuji::window
