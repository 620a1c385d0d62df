#pragma once

#include <memory>
#include <string>

#include "qt/form1_main.h"
#include "qt/qt_dialog_layer.h"
#include "qt/qt_run_view.h"
#include "window/desktop_commands.h"

namespace mokuji::qt {

// The main window on a desktop: the Qt window bound to the window's state
// and to what its drops and menu items do.
class DesktopWindow {
  public:
    DesktopWindow(os::FileSystem& fs, os::Shell& shell,
                  automation::ApplicationFactory createApplication, window::Gatherer gather,
                  std::string arguments, window::GatheringSettings gathering = {});
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    // Start-up (Form_Load), then the window shows what it set.
    window::RunEnd load();
    // Start-up as the program does it: with an argument the window shows
    // disabled while the unattended run works; waiting for the user, it
    // shows enabled.
    window::RunEnd start();

    Form1_MAIN& form() { return form_; }
    QtRunView& view() { return view_; }
    window::MainWindow& state() { return commands_.state(); }
    bool busy() const { return commands_.busy(); }
    bool failed() const { return commands_.failed(); }

  private:
    void centre();

    Form1_MAIN form_;
    QtRunView view_;
    QtDialogLayer dialogLayer_;
    window::DesktopCommands commands_;
};

}  // namespace mokuji::qt
