#include "engine/list_generation_driver.h"

#include <memory>

#include "engine/ignoring_failure.h"
#include "engine/workbook_row_reader.h"
#include "util/path_names.h"

namespace mokuji::engine {

namespace {

using automation::AutomationError;

// Gives the window back whatever way the run ends.
class WindowBusy {
  public:
    explicit WindowBusy(platform::RunView& view) : view_(view) {
        view_.setMousePointer(platform::kPointerHourglass);
        view_.setEnabled(false);
    }
    ~WindowBusy() {
        view_.setEnabled(true);
        view_.setMousePointer(platform::kPointerDefault);
    }
    WindowBusy(const WindowBusy&) = delete;
    WindowBusy& operator=(const WindowBusy&) = delete;

  private:
    platform::RunView& view_;
};

}  // namespace

RunOutcome MakeList(const RunPlan& plan, const automation::ApplicationFactory& createApplication,
                    platform::RunView& view, const ListPhase& listPhase) {
    RunOutcome outcome;
    std::unique_ptr<automation::Application> xl_app;
    try {
        xl_app = createApplication();
    } catch (const AutomationError&) {
    }
    if (!xl_app) return outcome;
    outcome.applicationStarted = true;

    {
        WindowBusy busy(view);
        for (const std::string& workbook : plan.workbooks) {
            std::string path = workbook;
            if (path.find(util::kPathSeparator) == std::string::npos)
                path = plan.workingFolder + path;
            std::string fileName = util::FileNameOf(path);
            view.setCaption(plan.programName + " - [" + fileName + "]");

            std::shared_ptr<automation::Workbook> book;
            try {
                book = ReadWorkbookRow(*xl_app, path, plan.columns, plan.prop_name, outcome.rows);
            } catch (const AutomationError& e) {
                // One unreadable file must not stop the run; the caller
                // names it once the run is over.
                outcome.skipped.push_back({fileName.empty() ? path : fileName, e.openFailure(),
                                           e.what(), e.foundContent()});
            }
            ignoringFailure([&] { xl_app->setEnableEvents(true); });
            view.doEvents();
            if (book) ignoringFailure([&] { book->close(false); });
            view.doEvents();
        }

        if (listPhase) ignoringFailure([&] { outcome.list = listPhase(*xl_app, outcome.rows); });

        ignoringFailure([&] { xl_app->workbooks()->close(); });
        ignoringFailure([&] { xl_app->setDisplayAlerts(false); });
        ignoringFailure([&] { xl_app->quit(); });
        xl_app.reset();
    }
    return outcome;
}

}  // namespace mokuji::engine
