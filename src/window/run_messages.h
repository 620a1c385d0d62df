#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "run/folder_gathering.h"
#include "run/list_generation_driver.h"
#include "run/list_lock.h"
#include "ui/text.h"

namespace mokuji::window {

// How a run ended, in the user's words. Lines end in CR LF.

// No spreadsheet application could be started for the run.
inline constexpr const char* kNoApplicationMessage =
    "EXCELがインストールされていないので、利用できません。";

// Why a workbook could not be opened.
const char* OpenFailureText(automation::OpenFailure cause);
// What a file named like a workbook holds instead; empty when nothing more
// than the failure itself is known.
std::string FoundContentText(automation::FileContent content);

// What the messages call the file a run writes, unless it writes rows for
// other programs ("CSV").
inline constexpr const char* kListFileKind = "目次ファイル";

// Every message a finished run leaves for the user, in the order to show
// them; none when all went well. written names the file the run wrote.
std::vector<std::string> RunOutcomeMessages(const run::RunOutcome& outcome,
                                            const std::string& written = ui::Text(kListFileKind));

// The list file is open in another program: the run leaves it alone, and
// says who holds it and how to clear a lock that outlived its program.
std::string ListHeldMessage(const std::string& listPath, const run::ListLock& lock);

// The spreadsheet files of the folder a run did not gather, each with why;
// empty when there are none.
std::string NotGatheredMessage(const std::vector<std::string>& fileNames);

// One line on what a run that saved its list did: the rows written, the
// workbooks that could not be read, and where the list is. Nothing when no
// list was saved; the messages have said why.
// Workbooks the user's patterns left out are counted there as well.
std::optional<std::string> RunSummaryText(const run::RunOutcome& outcome,
                                          const std::string& listPath, std::size_t excluded = 0,
                                          const std::string& written = ui::Text(kListFileKind));

// What a search of subfolders passed over that the user would wonder about:
// the lists of subfolders, folders met again through a link, folders that
// could not be read, and a limit that stopped the search. Empty when it
// passed over none of these.
std::string FolderSearchMessage(const run::GatherResult& gathering);

// The template's names that became no column because their cells lie past
// the grid of the list's format.
std::string NamesPastTheGridMessage(const std::vector<std::string>& names);

}  // namespace mokuji::window
