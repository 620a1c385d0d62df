#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/object_model.h"
#include "list_file/column_table.h"
#include "list_file/list_file_readers.h"
#include "list_file/list_layout.h"
#include "os/file_system.h"
#include "run/list_box.h"
#include "run/list_lock.h"
#include "run/name_filter.h"
#include "view/run_view.h"

namespace mokuji::run {

struct GatherContext {
    // The working path; its folder part is the working folder.
    const std::string& workingPath;
    ListBox& workbookList;
    list_file::ColumnTable& columns;
    view::RunView& view;
    os::FileSystem& fs;
    automation::ApplicationFactory createApplication;
    std::string programName;
    // The workbooks gathered, as the folder search takes them.
    std::string workbookPattern = "*.xls";
    // Subfolders searched as well; their workbooks are listed by their
    // paths relative to the working folder.
    bool recursive = false;
    // The workbooks the user leaves out or keeps, by those paths.
    NameFilter filter = {};
    // The list's name in the format chosen; the other format's list is no
    // workbook to gather either.
    std::string listFileName = list_file::kListFileName;
};

// What a gathering found out that its caller must act on.
struct GatherResult {
    // The list file of the folder as named on disk ("00_目次.xls" in any
    // letter case), "" when the folder has none.
    std::string listFile;
    // Set when the list file, or every workbook that could have been the
    // template, could not be read: the caller names it and does not run.
    std::optional<list_file::ReadFailure> readFailure;
    // Workbooks passed over for the template because they could not be
    // read, in list order; the caller names them once the run is over.
    std::vector<list_file::ReadFailure> unreadableTemplates;
    // Files of the folder that look like spreadsheets but are not of the
    // kinds gathered (an .ods, a .csv, an .xlsx when only .xls is asked
    // for), by their bare names in list order: the caller names them, so
    // that no answer returned in another format goes missing unnoticed.
    std::vector<std::string> notGathered;
    // Names of the template left out as columns because their cells lie
    // past the .xls grid; the caller names them.
    std::vector<std::string> namesPastTheGrid;
    // The working folder looked at, ending in the separator ("" is the
    // current directory), for every later step of the run.
    std::string folder = {};
    // The list file was open in another program: nothing was read, and the
    // list must not be written (listFile then names it).
    std::optional<ListLock> held = {};
    // The name of the list in the format the run uses, found or to be made.
    std::string listFileName = list_file::kListFileName;
    // The list of the other format beside the one used, left alone: the
    // caller names it. "" when there is none.
    std::string otherListFile = {};
    // Workbooks the user's patterns left out, counted for the summary.
    std::size_t excluded = 0;
    // What a search of subfolders passed over, for the caller to name: the
    // lists of subfolders (another list, not an answer), folders met again
    // through a link, folders that could not be read (with why), and the
    // limit it stopped at ("" when none). Relative paths; a folder's reason
    // is "" when it was for want of permission.
    std::vector<std::string> subfolderLists = {};
    std::vector<std::string> foldersReachedAgain = {};
    std::vector<std::pair<std::string, std::string>> unreadableFolders = {};
    std::string searchLimit = {};
};

// The spreadsheet files a folder of answers may hold, as the folder search
// takes patterns: what is gathered is named in GatherContext, the rest of
// these are told to the user as not read.
inline constexpr const char* kSpreadsheetPatterns =
    "*.xls;*.xlsx;*.xlsm;*.xlsb;*.xlt;*.xltx;*.xltm;*.ods;*.ots;*.fods;*.csv;*.numbers";

// Gathers every workbook of the working folder (and, asked to, of its
// subfolders) into the list (all selected), less those the filter leaves out,
// leaving out the list file and the spreadsheet application's owner files
// ("~$" names), notes the other spreadsheet files it does not gather, and
// loads the column table from the folder's list file or,
// without one, from the first workbook gathered that can be read.
GatherResult GatherFolder(const GatherContext& ctx);

}  // namespace mokuji::run
