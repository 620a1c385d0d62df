#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "automation/object_model.h"

namespace mokuji::list_file {

// What the user typed into a list's data rows outside the list's own
// columns (a column 確認 or 備考 of their own, a mark in the margin): it
// belongs to the workbook of its row, not to a row number, and has to
// travel with that workbook through every update. A row without a file name
// (a total typed below the list) is the user's whole, in every column.
struct UserNotes {
    // The columns that hold anything of the user's in the data rows, left
    // to right, with their header texts.
    std::vector<std::int32_t> columns;
    std::vector<std::string> headers;
    struct Row {
        // The text of the row's file-name cell; empty when it had none, and
        // then the row belongs to no workbook.
        std::string fileName;
        std::vector<automation::Variant> cells;  // one per column
        // A workbook's row, as the run wrote it; else the user's own (no
        // sequence number), which goes with no workbook.
        bool workbookRow = true;
    };
    // The data rows holding a note, top to bottom.
    std::vector<Row> rows;

    bool empty() const { return rows.empty(); }
};

// Reads the notes of the data rows below the header row of the list sheet.
// listColumns: the columns the run writes (the number column included);
// fileNameColumn: where the file names stand, 0 when the list has none.
UserNotes ReadUserNotes(const automation::Worksheet& sheet, std::int32_t headerRow,
                        const std::vector<std::int32_t>& listColumns, std::int32_t fileNameColumn);

// The name of the sheet that keeps the notes of rows whose workbook is gone.
inline constexpr const char* kRemovedRowsSheetName = "削除された行";

// Appends the rows to the workbook's sheet of removed rows, made when it is
// not there yet: the file name, then each note under its header (a header
// the sheet lacks gets a column of its own). Throws AutomationError when the
// sheet cannot be made or written; the active sheet stays as it was.
void KeepRemovedNotes(automation::Workbook& book, const std::vector<std::string>& headers,
                      const std::vector<UserNotes::Row>& rows);

}  // namespace mokuji::list_file
