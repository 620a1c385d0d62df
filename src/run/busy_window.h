#pragma once

#include "view/run_view.h"

namespace mokuji::gather {

// The window takes no input and shows the busy pointer while a gathering
// runs, and gets both back on every way out, so that no second gathering
// or run can start meanwhile and none leaves the window dead.
class BusyWindow {
  public:
    explicit BusyWindow(platform::RunView& view) : view_(view) {
        view_.setMousePointer(platform::kPointerHourglass);
        view_.setEnabled(false);
    }
    ~BusyWindow() {
        view_.setEnabled(true);
        view_.setMousePointer(platform::kPointerDefault);
    }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

  private:
    platform::RunView& view_;
};

}  // namespace mokuji::gather
