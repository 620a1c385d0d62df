#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/form_load.h"
#include "app/main_window.h"
#include "app/run_command.h"
#include "app/startup_context.h"
#include "platform/qt/form1_main.h"
#include "platform/qt/qt_dialog_layer.h"
#include "platform/qt/qt_run_view.h"

namespace mokuji::app {

// The main window on a desktop: the Qt window bound to the window's state
// and to what its drops and menu items do.
class DesktopWindow {
  public:
    DesktopWindow(platform::FileSystem& fs, platform::Shell& shell,
                  automation::ApplicationFactory createApplication, Gatherer gather,
                  std::string arguments);
    DesktopWindow(const DesktopWindow&) = delete;
    DesktopWindow& operator=(const DesktopWindow&) = delete;

    // Start-up (Form_Load), then the window shows what it set.
    StartupOutcome load();
    // Start-up as the program does it: with an argument the window shows
    // disabled while the unattended run works; waiting for the user, it
    // shows enabled.
    StartupOutcome start();

    platform::qt::Form1_MAIN& form() { return form_; }
    MainWindow& state() { return state_; }

    // True while a run or the list-file dialog is under way.
    bool busy() const { return busy_; }
    // True once a command failed in a way nothing caught; the program then
    // ends with kUntrappedFailureStatus.
    bool failed() const { return failed_; }

  private:
    void centre();
    // Runs one command unless another is still under way: a drop or a
    // command delivered while the window yields during a run is dropped.
    void exclusively(const std::function<void()>& command);

    platform::qt::Form1_MAIN form_;
    platform::qt::QtRunView view_;
    platform::qt::QtDialogLayer dialogLayer_;
    DialogHost dialogs_;
    MainWindow state_;
    StartupContext ctx_;
    bool busy_ = false;
    bool failed_ = false;
};

}  // namespace mokuji::app
