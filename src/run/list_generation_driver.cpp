#include "run/list_generation_driver.h"

#include <memory>

#include "automation/ignoring_failure.h"
#include "os/path_names.h"
#include "run/workbook_reading.h"
#include "view/busy_window.h"

namespace mokuji::run {

namespace {

using automation::AutomationError;

// How long the window may go without its events while a workbook is read.
constexpr int kPatienceMs = 50;

// A row read on a reader's thread lies in that thread's heap. Copied into
// this thread's, the reader's memory serves its next workbook, and the
// row's, let go as it enters the list, serves the list's cells: moved, a
// long run would hold both.
list_file::ListRow copiedHere(const list_file::ListRow& row) {
    list_file::ListRow copy{row.fileName, {}};
    copy.values.reserve(row.values.capacity());
    copy.values.insert(copy.values.end(), row.values.begin(), row.values.end());
    return copy;
}

}  // namespace

RunOutcome MakeList(const RunPlan& plan, const automation::ApplicationFactory& createApplication,
                    view::RunView& view, const ListPhase& listPhase) {
    RunOutcome outcome;
    std::unique_ptr<automation::Application> xl_app;
    try {
        xl_app = createApplication();
    } catch (const AutomationError&) {
    }
    if (!xl_app) return outcome;
    outcome.applicationStarted = true;

    {
        view::BusyWindow busy(view);
        // Readers on other threads go ahead; the rows, captions and
        // messages keep the order of the list all the same.
        auto pool = ReadingPool::start(plan, createApplication, *xl_app);
        // Held until the list is built: not grown by doubling.
        outcome.rows.rows.reserve(plan.workbooks.size());
        for (std::size_t i = 0; i < plan.workbooks.size(); ++i) {
            const std::string fileName = ListedName(plan, i);
            view.setCaption(plan.programName + " - [" + fileName + "]");
            view.showProgress(i + 1, plan.workbooks.size(), fileName);
            WorkbookReading reading;
            if (pool) {
                std::optional<WorkbookReading> taken;
                while (!(taken = pool->take(i, kPatienceMs))) view.doEvents();
                reading = std::move(*taken);
            } else {
                reading = ReadPlannedWorkbook(*xl_app, plan, i);
            }
            if (reading.failure) std::rethrow_exception(reading.failure);
            if (reading.skipped) outcome.skipped.push_back(std::move(*reading.skipped));
            if (reading.row && pool) {
                outcome.rows.rows.push_back(copiedHere(*reading.row));
            } else if (reading.row) {
                outcome.rows.rows.push_back(std::move(*reading.row));
            }
            automation::ignoringFailure([&] { xl_app->setEnableEvents(true); });
            view.doEvents();
            if (reading.book) automation::ignoringFailure([&] { reading.book->close(false); });
            view.doEvents();
        }
        pool.reset();

        if (listPhase)
            automation::ignoringFailure([&] { outcome.list = listPhase(*xl_app, outcome.rows); });

        automation::ignoringFailure([&] { xl_app->workbooks()->close(); });
        automation::ignoringFailure([&] { xl_app->setDisplayAlerts(false); });
        automation::ignoringFailure([&] { xl_app->quit(); });
        xl_app.reset();
    }
    return outcome;
}

}  // namespace mokuji::run
