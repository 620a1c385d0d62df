#pragma once

#include <memory>

#include "automation/object_model.h"
#include "view/run_view.h"

namespace mokuji::list_file {

// The application instance of one reader and the workbook it opened. Its
// end shuts the instance down, whatever way the reader leaves: an instance
// left running would hold the workbook open and live on unseen.
class ReaderInstance {
  public:
    ReaderInstance(std::unique_ptr<automation::Application> app, view::RunView& view)
        : app_(std::move(app)), view_(view) {}
    ~ReaderInstance();
    ReaderInstance(const ReaderInstance&) = delete;
    ReaderInstance& operator=(const ReaderInstance&) = delete;

    automation::Application& app() { return *app_; }
    // Held until the shut-down closes it without saving.
    std::shared_ptr<automation::Workbook> book;

  private:
    std::unique_ptr<automation::Application> app_;
    view::RunView& view_;
};

}  // namespace mokuji::list_file
