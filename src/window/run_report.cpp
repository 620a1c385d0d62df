#include "window/run_report.h"

#include <algorithm>

#include "os/path_names.h"
#include "window/run_messages.h"
#include "window/startup_messages.h"

namespace mokuji::window {

namespace {

RunEnd endOf(const run::RunOutcome& outcome) {
    if (!outcome.applicationStarted || outcome.list.saveFailure) return RunEnd::ListNotSaved;
    if (!outcome.list.rowsFailed.empty()) return RunEnd::ListIncomplete;
    return RunEnd::ListWritten;
}

// A workbook passed over for the template that the run could not read
// either was named with the run's skipped ones already.
std::vector<list_file::ReadFailure> passedOverOnly(const run::GatherResult& gathering,
                                                   const run::RunOutcome& outcome) {
    std::vector<list_file::ReadFailure> passedOver;
    for (const list_file::ReadFailure& failure : gathering.unreadableTemplates) {
        const std::string name = os::FileNameOf(failure.path);
        if (std::none_of(outcome.skipped.begin(), outcome.skipped.end(),
                         [&name](const run::SkippedWorkbook& s) { return s.fileName == name; }))
            passedOver.push_back(failure);
    }
    return passedOver;
}

}  // namespace

RunReport ReportOf(const RunRecord& run) {
    const run::GatherResult& gathering = run.gathering;
    RunReport report;
    // A list open elsewhere or unreadable stops the run before anything
    // else could be found out.
    if (gathering.held) {
        report.messages.push_back(ListHeldMessage(gathering.listFile, *gathering.held));
        report.end = RunEnd::ListHeld;
        return report;
    }
    if (gathering.readFailure) {
        report.messages.push_back(ReadFailureMessage(*gathering.readFailure));
        report.end = RunEnd::ReadFailed;
        return report;
    }
    if (run.nothingGathered) {
        if (!run.nothingGatheredMessage.empty())
            report.messages.push_back(run.nothingGatheredMessage);
        // Else the user would look for answers that the patterns took away.
        if (gathering.excluded > 0)
            report.messages.push_back(
                ui::Text("{1}件のブックは --include / --exclude または設定ファイルの "
                         "include / exclude の指定で除外しました。\r\n",
                         {std::to_string(gathering.excluded)}));
        report.end = RunEnd::NothingGathered;
    } else if (run.outcome) {
        report.messages = RunOutcomeMessages(*run.outcome, run.written);
        const auto passedOver = passedOverOnly(gathering, *run.outcome);
        if (!passedOver.empty()) report.messages.push_back(PassedOverTemplatesMessage(passedOver));
        if (!gathering.namesPastTheGrid.empty())
            report.messages.push_back(NamesPastTheGridMessage(gathering.namesPastTheGrid));
        report.summary =
            RunSummaryText(*run.outcome, run.listPath, gathering.excluded, run.written);
        report.end = endOf(*run.outcome);
    }
    if (std::string searched = FolderSearchMessage(gathering); !searched.empty())
        report.messages.push_back(std::move(searched));
    // Last, so that an answer returned in another format is not missed.
    if (!gathering.notGathered.empty())
        report.messages.push_back(NotGatheredMessage(gathering.notGathered));
    return report;
}

void Tell(view::RunView& view, const RunReport& report) {
    for (const std::string& message : report.messages) view.showMessage(message);
    if (report.summary) view.showSummary(*report.summary);
}

}  // namespace mokuji::window
