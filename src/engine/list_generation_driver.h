#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/property_name_table.h"
#include "automation/object_model.h"
#include "engine/column_table.h"
#include "engine/list_workbook_result.h"
#include "engine/row_store.h"
#include "platform/run_view.h"

namespace mokuji::engine {

// One entry of the source workbook list: a bare file name (relative to the
// working folder) or a full path, and whether the run reads it.
struct ListEntry {
    std::string text;
    bool selected = true;
};

struct SkippedWorkbook {
    std::string fileName;
    automation::OpenFailure cause = automation::OpenFailure::Other;
    std::string detail;  // what the engine found, for diagnostics
    // What the file holds instead of a workbook, when that is known.
    automation::FileContent content = automation::FileContent::Unknown;
};

struct RunRequest {
    const std::vector<ListEntry>& List1;
    // The working path; only its folder part is used.
    std::string g_mokuji_path;
    const ColumnTable& columns;
    const app::PropertyNameTable& prop_name;
    // The executable's name without folder and extension, for captions.
    std::string programName;
};

struct RunOutcome {
    bool applicationStarted = false;
    RowStore rows;
    std::vector<SkippedWorkbook> skipped;
    ListWorkbookResult list;
};

// Builds, fills and saves the list workbook from the rows of the run, in the
// running application. Failing operations in it are skipped, not fatal; a
// list file left unsaved comes back in the result.
using ListPhase =
    std::function<ListWorkbookResult(automation::Application& xl_app, const RowStore& rows)>;

inline constexpr const char* kNoApplicationMessage =
    "EXCELがインストールされていないので、利用できません。";

// One run: starts an application instance, reads every selected workbook of
// the list into its row text, hands the rows to the list phase and shuts the
// instance down. The window is disabled with the busy pointer meanwhile and
// shows progress in its caption. A workbook that cannot be opened is skipped
// and named, with the reason, in one message at the end of the run; a list
// file that could not be saved is named in a message of its own.
RunOutcome sub_mokuji_make(const RunRequest& request,
                           const automation::ApplicationFactory& createApplication,
                           platform::RunView& view, const ListPhase& listPhase);

// Why a workbook could not be opened, in the words of the messages.
const char* OpenFailureText(automation::OpenFailure cause);
// What a file named like a workbook holds instead, in the words of the
// messages; empty when nothing more than the failure itself is known.
std::string FoundContentText(automation::FileContent content);

// The message that names the skipped workbooks; lines end in CR LF.
std::string SkippedWorkbooksMessage(const std::vector<SkippedWorkbook>& skipped);
// The message for a list file left unsaved; lines end in CR LF.
// The message for workbooks the list's sheet had no room for.
std::string RowsNotWrittenMessage(int rowsNotWritten);

std::string ListNotSavedMessage(const ListSaveFailure& failure);

}  // namespace mokuji::engine
