#pragma once

#include <cstdint>
#include <memory>

#include "automation/object_model.h"

namespace mokuji::engine {

// Where the list stands in a list file: its sheet and its header row.
struct ListSheet {
    // Null when the workbook has no worksheet at all.
    std::shared_ptr<automation::Worksheet> sheet;
    std::int32_t headerRow = 0;
};

// The list of a list file is on the sheet of its workbook name "No.", whose
// row is the header row; without that name (another program may have
// renamed it), on the sheet of the file-name column's name, else on the
// first worksheet, with the header in row 3 as in every list made here.
// Never simply the active sheet: the user may have saved the file with a
// notes sheet or a chart in front.
ListSheet FindListSheet(const automation::Workbook& book);

}  // namespace mokuji::engine
