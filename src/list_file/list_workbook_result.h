#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/automation_error.h"

namespace mokuji::list_file {

struct ListSaveFailure {
    // Where the list phase stopped.
    enum class Step { Open, NoWorksheet, SelectSheet, Create, KeepNotes, Save };
    std::string path;  // the list file that was to be written
    Step step = Step::Save;
    // Why, as far as the application could tell.
    automation::OpenFailure cause = automation::OpenFailure::Other;
    automation::FileContent content = automation::FileContent::Unknown;
    std::string detail;  // the application's own words
};

// A value that reached its list cell changed: which workbook, which column.
struct ChangedValue {
    std::string fileName;
    std::string column;
};

// What the list phase did, for the run to report.
struct ListWorkbookResult {
    bool updatedExisting = false;
    int rowsWritten = 0;
    // Rows the sheet had no room for; they are missing from the list.
    int rowsNotWritten = 0;
    // Workbooks whose row was written only in part: some value of it could
    // not be entered in its cell.
    std::vector<std::string> rowsFailed;
    // Texts longer than a cell holds, written cut.
    std::vector<ChangedValue> valuesCut;
    // Numbers no cell can hold (NaN, infinities), written as text.
    std::vector<ChangedValue> valuesAsText;
    // Column names the list file could not be given as workbook names; the
    // columns are there, found again by their header text.
    std::vector<std::string> namesNotAdded;
    // The file names of rows that held notes of the user's own and whose
    // workbook is gone: their notes were moved to the sheet of removed rows.
    std::vector<std::string> notesMoved;
    // Set when the list file was not written; the run tells the user.
    std::optional<ListSaveFailure> saveFailure;
};

}  // namespace mokuji::list_file
