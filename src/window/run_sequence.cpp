#include "window/run_sequence.h"

#include <algorithm>
#include <vector>

#include "list_file/list_workbook_builder.h"
#include "os/path_names.h"
#include "run/list_generation_driver.h"
#include "window/list_lock.h"
#include "window/mokuji_open.h"
#include "window/run_messages.h"
#include "window/startup_messages.h"

namespace mokuji::app {

namespace {

// The run reads the selected entries of the list box, in its order.
std::vector<std::string> workbooksOf(const platform::ListBox& list) {
    std::vector<std::string> workbooks;
    for (std::size_t i = 0; i < list.ListCount(); ++i) {
        if (list.Selected(i)) workbooks.push_back(list.List(i));
    }
    return workbooks;
}

RunEnd runEndOf(const engine::RunOutcome& outcome) {
    if (!outcome.applicationStarted || outcome.list.saveFailure) return RunEnd::ListNotSaved;
    if (!outcome.list.rowsFailed.empty()) return RunEnd::ListIncomplete;
    return RunEnd::ListWritten;
}

// The gathering may hand back the list file as a path or a bare name.
std::string fileNameOf(const std::string& listFile) {
    if (listFile.empty()) return engine::kListFileName;
    std::string name = util::FileNameOf(listFile);
    return name.empty() ? listFile : name;
}

}  // namespace

void TellNotGathered(const MainWindow& window, platform::RunView& view) {
    if (!window.notGathered.empty()) view.showMessage(NotGatheredMessage(window.notGathered));
}

bool GatherWorkingFolder(MainWindow& window, const StartupContext& ctx) {
    platform::RunView& view = ctx.view;
    window.listFileOnDisk.clear();
    window.listUnreadable = false;
    window.listHeld = false;
    window.unreadableTemplates.clear();
    window.notGathered.clear();
    window.namesPastTheGrid.clear();
    // Before anything is read: a list open elsewhere would be saved over
    // our update, which would be lost without a word.
    const std::string folder = util::FolderOf(window.g_mokuji_path);
    if (auto lock = FindListLock(folder, engine::kListFileName)) {
        window.listHeld = true;
        std::string list = ctx.fs.findOrdinaryFile(folder + engine::kListFileName);
        if (list.empty()) list = folder + engine::kListFileName;
        view.showMessage(ListHeldMessage(list, *lock));
        return false;
    }
    gather::GatherResult gathered;
    try {
        gathered =
            ctx.gather({window.g_mokuji_path, window.List1, window.columns, view, ctx.fs,
                        ctx.createApplication, ctx.fs.programBaseName(), ctx.gathering.pattern()});
    } catch (const platform::FileSystemError& e) {
        // The gathering gives the window back only when it ends normally.
        view.setEnabled(true);
        view.setMousePointer(platform::kPointerDefault);
        window.listUnreadable = true;
        view.showMessage(ReadFailureMessage({util::FolderOf(window.g_mokuji_path), e.what()}));
        return false;
    }
    if (gathered.readFailure) {
        // Going on would write a new list over one that could not be read.
        window.listUnreadable = true;
        view.showMessage(ReadFailureMessage(*gathered.readFailure));
        return false;
    }
    window.listFileOnDisk = gathered.listFile;
    window.unreadableTemplates = std::move(gathered.unreadableTemplates);
    window.notGathered = std::move(gathered.notGathered);
    window.namesPastTheGrid = std::move(gathered.namesPastTheGrid);
    return true;
}

RunEnd MakeAndOpenList(MainWindow& window, const StartupContext& ctx) {
    if (window.listHeld) return RunEnd::ListHeld;
    if (window.listUnreadable) return RunEnd::ReadFailed;
    platform::RunView& view = ctx.view;
    const std::string programName = ctx.fs.programBaseName();
    const std::string folder = util::FolderOf(window.g_mokuji_path);
    engine::ListContext list{
        folder,
        programName,
        window.columns,
        view,
        [&fs = ctx.fs](const std::string& p) { return !fs.findOrdinaryFile(p).empty(); },
        fileNameOf(window.listFileOnDisk)};
    const engine::RunPlan plan{folder, workbooksOf(window.List1), window.columns, window.prop_name,
                               programName};
    const engine::RunOutcome outcome =
        engine::MakeList(plan, ctx.createApplication, view,
                         [&list](automation::Application& xl_app, engine::RowStore& rows) {
                             return engine::BuildListWorkbook(xl_app, std::move(rows), list);
                         });
    for (const std::string& message : RunOutcomeMessages(outcome)) view.showMessage(message);

    // A workbook passed over for the template that the run could not read
    // either was named with the run's skipped ones already.
    std::vector<gather::ReadFailure> passedOver;
    for (const gather::ReadFailure& failure : window.unreadableTemplates) {
        const std::string name = util::FileNameOf(failure.path);
        if (std::none_of(outcome.skipped.begin(), outcome.skipped.end(),
                         [&name](const engine::SkippedWorkbook& s) { return s.fileName == name; }))
            passedOver.push_back(failure);
    }
    if (!passedOver.empty()) view.showMessage(PassedOverTemplatesMessage(passedOver));
    if (!window.namesPastTheGrid.empty())
        view.showMessage(NamesPastTheGridMessage(window.namesPastTheGrid));
    TellNotGathered(window, view);

    if (auto summary = RunSummaryText(outcome, list.listFilePath())) view.showSummary(*summary);
    view.setCaption(StartupCaption(programName));
    sub_mokuji_open(window.g_mokuji_path, ctx.fs, ctx.shell);
    return runEndOf(outcome);
}

RunEnd RunWorkingFolder(MainWindow& window, const StartupContext& ctx,
                        const std::string& nothingGatheredMessage) {
    if (!GatherWorkingFolder(window, ctx))
        return window.listHeld ? RunEnd::ListHeld : RunEnd::ReadFailed;
    if (window.List1.ListCount() == 0) {
        ctx.view.showMessage(nothingGatheredMessage);
        TellNotGathered(window, ctx.view);
        return RunEnd::NothingGathered;
    }
    return MakeAndOpenList(window, ctx);
}

}  // namespace mokuji::app
