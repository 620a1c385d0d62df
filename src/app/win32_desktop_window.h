#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/form_load.h"
#include "app/main_window.h"
#include "app/run_command.h"
#include "app/startup_context.h"
#include "platform/win32/window/form1_main.h"
#include "platform/win32/window/win32_dialog_layer.h"
#include "platform/win32/window/win32_run_view.h"

namespace mokuji::app {

// The main window on Windows: the Win32 window bound to the window's state
// and to what its drops, button and menu items do.
class Win32DesktopWindow {
  public:
    // Throws platform::win32::WindowUnavailable when no window can be made.
    Win32DesktopWindow(platform::FileSystem& fs, platform::Shell& shell,
                       automation::ApplicationFactory createApplication, Gatherer gather,
                       std::string arguments);
    Win32DesktopWindow(const Win32DesktopWindow&) = delete;
    Win32DesktopWindow& operator=(const Win32DesktopWindow&) = delete;

    // Start-up (Form_Load), then the window shows what it set.
    StartupOutcome load();
    // Start-up as the program does it: with an argument the window shows
    // disabled while the unattended run works; waiting for the user, it
    // shows enabled.
    StartupOutcome start();
    // Dispatches the window's messages until the menu item "終了" or
    // closing the window ends the program; returns the exit status.
    int messageLoop();

    platform::win32::Form1_MAIN& form() { return form_; }
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

    platform::win32::Form1_MAIN form_;
    platform::win32::Win32RunView view_;
    platform::win32::Win32DialogLayer dialogLayer_;
    DialogHost dialogs_;
    MainWindow state_;
    StartupContext ctx_;
    bool busy_ = false;
    bool failed_ = false;
};

}  // namespace mokuji::app
