#pragma once

#include <string>

#include "app/main_window.h"
#include "app/startup_context.h"

namespace mokuji::app {

// What a drop and the menu item tell the user when the working folder holds
// no workbook; only the unattended run names the folder as well.
inline constexpr const char* kNoSheetsMessage = "EXCELのシートがありません。";

// How a run over the working folder ended.
enum class RunEnd {
    ListWritten,
    // Nothing to list: the caller's message was shown, nothing was written.
    NothingGathered,
    // The application did not start or the list file was not saved.
    ListNotSaved,
    // The folder, the list file or the template could not be read.
    ReadFailed,
};

// The road every trigger takes once g_mokuji_path names the working folder:
// gather into List1, show nothingGatheredMessage and stop when it stays
// empty, otherwise generate the list file, set the start-up caption back and
// open the list file. Each trigger says nothing gathered in its own words.
RunEnd RunWorkingFolder(MainWindow& window, const StartupContext& ctx,
                        const std::string& nothingGatheredMessage);

}  // namespace mokuji::app
