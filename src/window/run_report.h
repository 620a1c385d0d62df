#pragma once

#include <optional>
#include <string>
#include <vector>

#include "run/folder_gathering.h"
#include "run/list_generation_driver.h"
#include "view/run_view.h"
#include "window/run_end.h"
#include "window/run_messages.h"

namespace mokuji::window {

// A run as far as it went: what its gathering found, whether the folder
// held no workbook, and the outcome of the list phase when that ran.
struct RunRecord {
    const run::GatherResult& gathering;
    // The folder held no workbook to list; how the trigger says so ("" when
    // it stays silent).
    bool nothingGathered = false;
    std::string nothingGatheredMessage = {};
    const run::RunOutcome* outcome = nullptr;
    // The list file the run wrote or meant to write.
    std::string listPath = {};
    // What the messages call that file: the list, or the rows' format.
    std::string written = ui::Text(kListFileKind);
};

// What the user is told of a run and how it ended: the messages in the
// order shown, the one line a view without the list before its eyes shows,
// and the end from which the exit status is taken.
struct RunReport {
    std::vector<std::string> messages;
    std::optional<std::string> summary;
    RunEnd end = RunEnd::ListWritten;
};

// The one place where a run becomes words and an end, whichever trigger
// started it and wherever it stopped.
RunReport ReportOf(const RunRecord& run);

// Shows the report's messages, then its summary.
void Tell(view::RunView& view, const RunReport& report);

}  // namespace mokuji::window
