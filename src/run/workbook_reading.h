#pragma once

#include <exception>
#include <memory>
#include <optional>
#include <string>

#include "automation/object_model.h"
#include "run/list_generation_driver.h"

namespace mokuji::run {

// What reading one workbook of a run gave: its row (none when it holds no
// value for any named column), or why it was skipped, or a failure that is
// not about the file and must end the run.
struct WorkbookReading {
    // The workbook, still open, for the caller to close; a reader of the
    // pool closes its own.
    std::shared_ptr<automation::Workbook> book;
    std::optional<list_file::ListRow> row;
    std::optional<SkippedWorkbook> skipped;
    std::exception_ptr failure;
};

// Workbook `index` of the plan with its folder.
std::string PlannedPath(const RunPlan& plan, std::size_t index);

// Workbook `index` as the list and the messages name it: its path relative
// to the working folder, "/" between folders.
std::string ListedName(const RunPlan& plan, std::size_t index);

// Reads workbook `index` of the plan in the given application.
WorkbookReading ReadPlannedWorkbook(automation::Application& xl_app, const RunPlan& plan,
                                    std::size_t index);

// Reads the plan's workbooks ahead on a few threads, each in an application
// of its own, while the caller takes the readings in list order. Made only
// when the factory's applications read in parallel and the run is long
// enough to gain from it; otherwise `start` gives nothing and the caller
// reads one workbook after another.
class ReadingPool {
  public:
    static std::unique_ptr<ReadingPool> start(const RunPlan& plan,
                                              const automation::ApplicationFactory& factory,
                                              const automation::Application& probe);
    ~ReadingPool();
    ReadingPool(const ReadingPool&) = delete;
    ReadingPool& operator=(const ReadingPool&) = delete;

    // The reading of workbook `index`, once it is there; waits at most
    // `patience` milliseconds at a time, so a window can be kept alive
    // between the calls. Nothing while it is still being read.
    std::optional<WorkbookReading> take(std::size_t index, int patience);

  private:
    struct Shared;
    explicit ReadingPool(std::shared_ptr<Shared> shared);
    std::shared_ptr<Shared> shared_;
};

}  // namespace mokuji::run
