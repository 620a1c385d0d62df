#pragma once

#include "view/run_view.h"

namespace mokuji::view {

// The window takes no input and shows the busy pointer while a step of a
// run works, so that no second gathering or run can start meanwhile.
inline void MakeWindowBusy(RunView& view) {
    view.setMousePointer(kPointerHourglass);
    view.setEnabled(false);
}

// Input and the default pointer back; also after a failure that ended a
// step nobody expected to fail, so that none leaves the window dead.
inline void GiveWindowBack(RunView& view) {
    view.setEnabled(true);
    view.setMousePointer(kPointerDefault);
}

// Busy for the life of a scope, given back on every way out of it.
class BusyWindow {
  public:
    explicit BusyWindow(RunView& view) : view_(view) { MakeWindowBusy(view_); }
    ~BusyWindow() { GiveWindowBack(view_); }
    BusyWindow(const BusyWindow&) = delete;
    BusyWindow& operator=(const BusyWindow&) = delete;

  private:
    RunView& view_;
};

}  // namespace mokuji::view
