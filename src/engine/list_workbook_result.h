#pragma once

#include <optional>
#include <string>

namespace mokuji::engine {

struct ListSaveFailure {
    std::string path;    // the list file that was to be written
    std::string reason;  // as the application described it
};

// What the list phase did, for the run to report.
struct ListWorkbookResult {
    bool updatedExisting = false;
    int rowsWritten = 0;
    // Rows the sheet had no room for; they are missing from the list.
    int rowsNotWritten = 0;
    // Set when the list file was not written; the run tells the user.
    std::optional<ListSaveFailure> saveFailure;
};

}  // namespace mokuji::engine
