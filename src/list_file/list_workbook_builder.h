#pragma once

#include <functional>
#include <string>

#include "automation/object_model.h"
#include "list_file/column_table.h"
#include "list_file/list_layout.h"
#include "list_file/list_row.h"
#include "list_file/list_workbook_result.h"
#include "view/run_view.h"

namespace mokuji::list_file {

struct ListContext {
    // Ends in the path separator, or is empty for the current folder.
    std::string workingFolder;
    // The executable's name without folder and extension, for captions.
    std::string programName;
    const ColumnTable& columns;
    view::RunView& view;
    // Whether an ordinary file of that full name exists.
    std::function<bool(const std::string&)> fileExists;
    // The list file's name as the folder holds it: a folder may hold it
    // under another letter case, and the run must update that file rather
    // than write a second one beside it.
    std::string listFileName = kListFileName;

    std::string listFilePath() const;
};

// Creates the list file of the working folder, or opens the one there, puts
// the rows of the run into it below its header row and saves it.
//
// A created file has the header at row 3 of its only sheet "目次": "No." and
// "FILE名" in B and C, then one column per named entry of the table, with
// workbook names on the header cells and the entries' row and column numbers
// in the two hidden rows below. An existing file keeps everything above the
// data rows and every sheet but its list sheet; each value goes under the
// header that carries its column's name, and columns without one are left
// alone. The list sheet is the active sheet of the saved file.
//
// Values are entered as what they are: text as text, however it looks;
// numbers, dates and booleans as values.
//
// Spreadsheet operations that fail are skipped one by one and the rest of the
// list is still written. What the caller must hear of comes back in the
// result: rows beyond the last row of the sheet, rows not wholly written,
// values that had to change, names the file could not be given, and a save
// that failed.
ListWorkbookResult BuildListWorkbook(automation::Application& xl_app, const RowStore& rows,
                                     const ListContext& ctx);
// The same, letting go of each row's values once they are in the list: the
// rows of a long run are then not held twice, as values and as cells.
ListWorkbookResult BuildListWorkbook(automation::Application& xl_app, RowStore&& rows,
                                     const ListContext& ctx);

}  // namespace mokuji::list_file
