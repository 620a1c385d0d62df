#pragma once

#include <functional>
#include <string>
#include <vector>

#include "automation/object_model.h"
#include "list_file/column_table.h"
#include "list_file/list_row.h"
#include "list_file/list_workbook_result.h"
#include "list_file/property_names.h"
#include "view/run_view.h"

namespace mokuji::run {

// What a run is to do, as the gathering left it.
struct RunPlan {
    // Ends in the path separator, or is empty for the current folder.
    std::string workingFolder;
    // The workbooks to read, in list order, by their paths relative to the
    // working folder.
    std::vector<std::string> workbooks;
    const list_file::ColumnTable& columns;
    const list_file::PropertyNameTable& prop_name;
    // The executable's name without folder and extension, for captions.
    std::string programName;
};

struct SkippedWorkbook {
    std::string fileName;
    automation::OpenFailure cause = automation::OpenFailure::Other;
    std::string detail;  // what the engine found, for diagnostics
    // What the file holds instead of a workbook, when that is known.
    automation::FileContent content = automation::FileContent::Unknown;
};

// How a run went, for the caller to tell the user. The run itself shows
// progress only.
struct RunOutcome {
    // False when no application instance could be started: nothing was
    // read or written.
    bool applicationStarted = false;
    list_file::RowStore rows;
    std::vector<SkippedWorkbook> skipped;
    list_file::ListWorkbookResult list;
};

// Builds, fills and saves the list workbook from the rows of the run, in the
// running application. Failing operations in it are skipped, not fatal; a
// list file left unsaved comes back in the result. The phase may take the
// rows' values: the outcome keeps what the messages need.
using ListPhase = std::function<list_file::ListWorkbookResult(automation::Application& xl_app,
                                                              list_file::RowStore& rows)>;

// One run: starts an application instance, reads every workbook of the plan
// into its row, hands the rows to the list phase and shuts the instance
// down. The window is disabled with the busy pointer meanwhile and shows
// progress in its caption. A workbook that cannot be opened is skipped and
// comes back in the outcome with its reason.
RunOutcome MakeList(const RunPlan& plan, const automation::ApplicationFactory& createApplication,
                    view::RunView& view, const ListPhase& listPhase);

}  // namespace mokuji::run
