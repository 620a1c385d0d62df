#pragma once

#include <cstdint>
#include <memory>

#include "automation/object_model.h"

namespace mokuji::list_file {

// Where the list stands in a list file: its sheet and its header row.
struct ListSheet {
    // Null when the workbook has no worksheet at all.
    std::shared_ptr<automation::Worksheet> sheet;
    std::int32_t headerRow = 0;
};

// The list of a list file is on the sheet of its workbook name "No." (or
// "No_", as LibreOffice saves it), whose row is the header row; without
// either, on the sheet and in the row of the file-name column's name; with
// no such name at all, on the first worksheet, in the row whose column B
// reads "No.", else in row 3 as in every list made here. Sheet-level names
// (a copied sheet carries copies of them) never decide. Never simply the
// active sheet: the user may have saved the file with a notes sheet or a
// chart in front.
ListSheet FindListSheet(const automation::Workbook& book);

}  // namespace mokuji::list_file
