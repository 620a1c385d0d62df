#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/object_model.h"
#include "list_file/column_table.h"
#include "view/run_view.h"

namespace mokuji::list_file {

struct ReaderContext {
    // Each reader starts its own application instance and quits it.
    automation::ApplicationFactory createApplication;
    view::RunView& view;
    // The executable's name without folder and extension, for captions.
    std::string programName;
    // The workbooks gathered, as the folder search takes them: a template
    // is read only when it is one of them.
    std::string workbookPattern = "*.xls";
    // The columns the list can take: kMaxColumns for an .xls list.
    int maxColumns = kMaxColumns;
};

// Why a reader could not read its workbook; the run must not go on with
// that folder (a damaged list file would otherwise be overwritten).
struct ReadFailure {
    std::string path;
    std::string reason;  // as the application described it
    // What kind of failure it was, for a message in the user's words.
    automation::OpenFailure cause = automation::OpenFailure::Other;
    // What the file holds instead of a workbook, when that is known.
    automation::FileContent content = automation::FileContent::Unknown;
};

// Reads the column table back from the list file p_file ("00_目次.xls").
// Returns the failure when the workbook cannot be opened; the table is then
// as it was. Without an application nothing is read: the run that follows
// cannot start one either and tells the user.
// A name whose cell lies left of the list's first column is no list column,
// since the run writes its sequence numbers there: so the number column's
// name stays out of the table under any spelling ("No_", as LibreOffice
// renames "No."), and so does a print area that starts there.
std::optional<ReadFailure> ReadListFileColumns(const std::string& p_file, ColumnTable& table,
                                               const ReaderContext& ctx);

// Builds the column table from the defined names of the template workbook
// p_file, the first workbook gathered.
//
// Both readers use the first maxColumns names of the workbook's collection
// (250 for an .xls list), the table's size, and ignore the rest; the
// table holds at least 250 entries. When ReadTemplateColumns must add the
// file-name column to a table that is already full, the entry that sorts
// last gives way to it: a free entry when there is one, else the name
// whose cell comes last in reading order.
// pastTheGrid, when given, receives the names left out because their cells
// lie past the .xls grid (a zip-based template's "$XFD$1048576").
std::optional<ReadFailure> ReadTemplateColumns(const std::string& p_file, ColumnTable& table,
                                               const ReaderContext& ctx,
                                               std::vector<std::string>* pastTheGrid = nullptr);

}  // namespace mokuji::list_file
