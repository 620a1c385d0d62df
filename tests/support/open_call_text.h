#pragma once

#include <string>

#include "automation/object_model.h"

namespace fake {

// How test doubles log a Workbooks.Open call: the file and every named
// argument that was passed, in a fixed order.
inline std::string openCallText(const automation::OpenArguments& a) {
    std::string entry = "Open(" + a.fileName;
    if (a.updateLinks) entry += ",UpdateLinks=" + std::to_string(*a.updateLinks);
    if (a.readOnly) entry += std::string(",ReadOnly=") + (*a.readOnly ? "true" : "false");
    if (a.ignoreReadOnlyRecommended)
        entry += std::string(",IgnoreReadOnlyRecommended=") +
                 (*a.ignoreReadOnlyRecommended ? "true" : "false");
    return entry + ")";
}

}  // namespace fake
