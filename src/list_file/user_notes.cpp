#include "list_file/user_notes.h"

#include <algorithm>

#include "automation/ignoring_failure.h"
#include "list_file/list_entry_text.h"
#include "list_file/list_layout.h"

namespace mokuji::list_file {

namespace {

using automation::Variant;

Variant valueAt(const automation::Worksheet& sheet, std::int32_t row, std::int32_t col) {
    Variant value;
    automation::ignoringFailure([&] { value = required(sheet.cells(row, col)).value(); });
    return value;
}

std::string textOf(const Variant& value) {
    std::string text;
    automation::ignoringFailure([&] { text = value.toText(); });
    return text;
}

// "F" for column 6: how a column without a header is told apart.
std::string columnLetters(std::int32_t column) {
    std::string letters;
    for (; column > 0; column = (column - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (column - 1) % 26));
    return letters;
}

void enter(const automation::Worksheet& sheet, std::int32_t row, std::int32_t col,
           const Variant& entry) {
    required(sheet.cells(row, col)).setFormulaR1C1(entry);
}

}  // namespace

UserNotes ReadUserNotes(const automation::Worksheet& sheet, std::int32_t headerRow,
                        const std::vector<std::int32_t>& listColumns, std::int32_t fileNameColumn) {
    UserNotes notes;
    std::int32_t lastRow = 0;
    std::int32_t lastCol = 0;
    automation::ignoringFailure([&] {
        auto used = sheet.usedRange();
        lastRow = required(used).row() + used->rowCount() - 1;
        lastCol = used->column() + used->columnCount() - 1;
    });
    const std::int32_t firstRow = headerRow + 3;
    if (lastRow < firstRow) return notes;

    const auto rows = static_cast<std::size_t>(lastRow - firstRow + 1);
    // A row without a file name is no workbook's row (a total or a remark
    // typed below the list): all of it is the user's, the list's columns
    // included, which the update would otherwise clear without a word. A
    // list without a file-name column cannot tell such rows apart.
    // Every row the run writes has its sequence number; a row without one
    // was inserted by the user, whatever its file-name cell says.
    std::vector<std::string> fileNames(rows);
    std::vector<bool> nobodys(rows, false);
    if (fileNameColumn > 0) {
        for (std::size_t r = 0; r < rows; ++r) {
            const auto row = firstRow + static_cast<std::int32_t>(r);
            fileNames[r] = textOf(valueAt(sheet, row, fileNameColumn));
            nobodys[r] = fileNames[r].empty() || valueAt(sheet, row, kNumberColumn).isEmpty();
        }
    }
    const bool anyNobodys = std::find(nobodys.begin(), nobodys.end(), true) != nobodys.end();

    // Read column by column, so that a column that holds nothing in the data
    // rows (a title above them reaching far right) is no column of notes.
    std::vector<std::vector<Variant>> cells;
    for (std::int32_t col = 1; col <= lastCol; ++col) {
        const bool listColumn =
            std::find(listColumns.begin(), listColumns.end(), col) != listColumns.end();
        // The file-name cell of a row is what the row is called by.
        if (listColumn && (!anyNobodys || col == fileNameColumn)) continue;
        std::vector<Variant> column(rows);
        bool any = false;
        for (std::size_t r = 0; r < rows; ++r) {
            if (listColumn && !nobodys[r]) continue;
            Variant v = valueAt(sheet, firstRow + static_cast<std::int32_t>(r), col);
            if (v.isEmpty() || (v.get<std::string>() && v.get<std::string>()->empty())) continue;
            column[r] = std::move(v);
            any = true;
        }
        if (!any) continue;
        notes.columns.push_back(col);
        std::string header = textOf(valueAt(sheet, headerRow, col));
        notes.headers.push_back(header.empty() ? "(" + columnLetters(col) + "列)" : header);
        cells.push_back(std::move(column));
    }
    for (std::size_t r = 0; r < rows; ++r) {
        UserNotes::Row entry;
        // A row of the user's that holds only its file-name cell is still
        // something the user typed.
        bool any = nobodys[r] && !fileNames[r].empty();
        for (const auto& column : cells) {
            any = any || !column[r].isEmpty();
            entry.cells.push_back(column[r]);
        }
        if (!any) continue;
        entry.fileName = fileNames[r];
        entry.workbookRow = !nobodys[r];
        notes.rows.push_back(std::move(entry));
    }
    return notes;
}

void KeepRemovedNotes(automation::Workbook& book, const std::vector<std::string>& headers,
                      const std::vector<UserNotes::Row>& rows) {
    if (rows.empty()) return;
    const auto sheets = book.sheets();
    std::shared_ptr<automation::Worksheet> kept;
    try {
        kept = required(sheets).item(kRemovedRowsSheetName);
    } catch (const automation::AutomationError&) {
        kept = sheets->add(kRemovedRowsSheetName);
        enter(required(kept), 1, 1, TextEntry(kFileNameHeader));
    }
    const automation::Worksheet& sheet = required(kept);

    // Each note goes under its header; earlier runs may have written other
    // headers, so the sheet's first row is what decides.
    std::int32_t lastCol = 1;
    std::int32_t lastRow = 1;
    automation::ignoringFailure([&] {
        auto used = sheet.usedRange();
        lastCol = std::max(lastCol, used->column() + used->columnCount() - 1);
        lastRow = std::max(lastRow, used->row() + used->rowCount() - 1);
    });
    std::vector<std::int32_t> placed;
    for (const std::string& header : headers) {
        std::int32_t found = 0;
        for (std::int32_t col = 2; col <= lastCol && found == 0; ++col) {
            if (textOf(valueAt(sheet, 1, col)) == header) found = col;
        }
        if (found == 0) {
            found = ++lastCol;
            enter(sheet, 1, found, TextEntry(header));
        }
        placed.push_back(found);
    }
    std::int32_t row = lastRow;
    for (const UserNotes::Row& r : rows) {
        ++row;
        enter(sheet, row, 1, TextEntry(r.fileName));
        for (std::size_t k = 0; k < r.cells.size() && k < placed.size(); ++k) {
            if (!r.cells[k].isEmpty())
                enter(sheet, row, placed[k], EntryForValue(r.cells[k]).entry);
        }
    }
}

}  // namespace mokuji::list_file
