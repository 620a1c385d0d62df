#pragma once

#include <string>

#include "automation/object_model.h"
#include "list_file/property_names.h"

namespace mokuji::inspect {

struct Report {
    std::string json;  // one JSON object
    bool opened = false;
};

// Opens one workbook in the given application and describes its names (with
// where they point and, for single cells, the value as text) and its 30
// built-in document properties as a list column would show them. With
// withCells, also every cell of every sheet (see describeSheetCells).
Report describeWorkbook(automation::Application& app, const std::string& path,
                        const list_file::PropertyNameTable& prop_name, bool withCells = false);

}  // namespace mokuji::inspect
