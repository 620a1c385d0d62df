#pragma once

#include <memory>
#include <string>

#include "win32/form1_main.h"
#include "win32/win32_dialog_layer.h"
#include "win32/win32_run_view.h"
#include "window/desktop_commands.h"

namespace mokuji::win32 {

// The main window on Windows: the Win32 window bound to the window's state
// and to what its drops, button and menu items do.
class Win32DesktopWindow {
  public:
    // Throws WindowUnavailable when no window can be made.
    Win32DesktopWindow(os::FileSystem& fs, os::Shell& shell,
                       automation::ApplicationFactory createApplication, window::Gatherer gather,
                       std::string arguments, window::GatheringSettings gathering = {});
    Win32DesktopWindow(const Win32DesktopWindow&) = delete;
    Win32DesktopWindow& operator=(const Win32DesktopWindow&) = delete;

    // Start-up (Form_Load), then the window shows what it set.
    window::RunEnd load();
    // Start-up as the program does it: with an argument the window shows
    // disabled while the unattended run works; waiting for the user, it
    // shows enabled.
    window::RunEnd start();
    // Dispatches the window's messages until the menu item "終了" or
    // closing the window ends the program; returns the exit status.
    int messageLoop();

    Form1_MAIN& form() { return form_; }
    Win32RunView& view() { return view_; }
    window::MainWindow& state() { return commands_.state(); }
    bool busy() const { return commands_.busy(); }
    bool failed() const { return commands_.failed(); }

  private:
    void centre();

    Form1_MAIN form_;
    Win32RunView view_;
    Win32DialogLayer dialogLayer_;
    window::DesktopCommands commands_;
};

}  // namespace mokuji::win32
