#pragma once

#include <string>
#include <vector>

#include "list_file/list_row.h"

namespace fake {

// A row's values as text, so a test can state a row at a glance; a value
// that has no text (an error value) shows as "?".
inline std::vector<std::string> textsOf(const mokuji::list_file::ListRow& row) {
    std::vector<std::string> texts;
    for (const auto& v : row.values) {
        try {
            texts.push_back(v.toText());
        } catch (const automation::AutomationError&) {
            texts.push_back("?");
        }
    }
    return texts;
}

// A row of texts, the first being the file name.
inline mokuji::list_file::ListRow textRow(const std::vector<std::string>& texts) {
    mokuji::list_file::ListRow row;
    if (!texts.empty()) row.fileName = texts.front();
    for (const auto& t : texts) row.values.emplace_back(t);
    return row;
}

}  // namespace fake
