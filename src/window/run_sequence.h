#pragma once

#include <string>

#include "window/main_window.h"
#include "window/run_end.h"
#include "window/startup_context.h"

namespace mokuji::window {

// What a drop and the menu item tell the user when the working folder holds
// no workbook; only the unattended run names the folder as well.
inline constexpr const char* kNoSheetsMessage = "EXCELのシートがありません。";

// Gathers the working folder's workbooks into List1 and its column
// definitions, unless the list file is open in another program, and keeps
// what it found as the window's last gathering. A list held elsewhere, or a
// folder, list file or template that cannot be read, is told, and the list
// is then never written. Returns whether the gathering read what it needed.
bool GatherWorkingFolder(MainWindow& window, const StartupContext& ctx);

// The last gathering found no workbook: message, unless empty, and the
// spreadsheet files it left out, so that an answer returned in another
// format is not missed. Returns how the run ended.
RunEnd TellNothingGathered(const MainWindow& window, view::RunView& view,
                           const std::string& message);

// Writes the list file from what the last gathering left in List1, sets the
// start-up caption back and opens the list file. Does nothing after a
// gathering that failed, so that a list it could not read is never replaced.
RunEnd MakeAndOpenList(MainWindow& window, const StartupContext& ctx);

// Writes what the last gathering left in List1 as the rows the context asks
// for (CSV or JSON Lines, to a file or standard output), without writing,
// locking or opening anything in the folder. Does nothing after a
// gathering that failed.
RunEnd WriteRows(MainWindow& window, const StartupContext& ctx);

// The road every trigger takes once g_mokuji_path names the working folder:
// gather into List1, show nothingGatheredMessage and stop when it stays
// empty, otherwise make and open the list file, or write the rows when the
// context asks for them. Each trigger says nothing gathered in its own
// words.
RunEnd RunWorkingFolder(MainWindow& window, const StartupContext& ctx,
                        const std::string& nothingGatheredMessage);

}  // namespace mokuji::window
