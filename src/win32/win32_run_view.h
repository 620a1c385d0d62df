#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

#include "view/run_view.h"
#include "win32/form1_main.h"

namespace mokuji::win32 {

// The run shown in the Win32 window: the caption is its title, the busy
// pointer the hourglass over the window, messages are the system's message
// boxes titled with the program's name.
class Win32RunView : public view::RunView {
  public:
    Win32RunView(Form1_MAIN& window, std::string messageTitle);

    void setCaption(const std::string& caption) override;
    std::string caption() const override;
    void setEnabled(bool enabled) override;
    void setMousePointer(int pointer) override;
    void doEvents() override;
    void showMessage(const std::string& text) override;

    // For a run nobody may be watching (a path on the command line, a
    // scheduled task): every message is written to echo as well, and its
    // box closes by itself after timeout.
    void setUnattended(std::ostream* echo, std::chrono::milliseconds timeout);
    std::chrono::milliseconds messageTimeout() const { return timeout_; }

  private:
    Form1_MAIN& window_;
    std::wstring messageTitle_;
    std::ostream* echo_ = nullptr;
    std::chrono::milliseconds timeout_{0};
};

}  // namespace mokuji::win32
