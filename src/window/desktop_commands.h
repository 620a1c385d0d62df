#pragma once

#include <functional>
#include <string>
#include <vector>

#include "window/form_load.h"
#include "window/main_window.h"
#include "window/run_command.h"
#include "window/startup_context.h"

namespace mokuji::window {

// What the window's drops, button and menu items do, whichever toolkit
// draws the window: one run at a time (a drop or command delivered while a
// run yields to the window's events is dropped), and a failure nothing else
// caught shown and then the end of the program.
class DesktopCommands {
  public:
    // endProgram ends the toolkit's event loop with the given status.
    DesktopCommands(StartupContext ctx, DialogHost dialogs, std::function<void(int)> endProgram);
    DesktopCommands(const DesktopCommands&) = delete;
    DesktopCommands& operator=(const DesktopCommands&) = delete;

    // Start-up (Form_Load), under the one-run guard.
    RunEnd load();
    void drop(const std::vector<std::string>& paths);
    void runButton();
    void makeMenuItem();
    void versionMenuItem();
    void helpMenuItem();
    void reservedWordsMenuItem();

    MainWindow& state() { return state_; }
    const StartupContext& context() const { return ctx_; }
    // True while a run or the list-file dialog is under way.
    bool busy() const { return busy_; }
    // True once a command failed in a way nothing caught; the program then
    // ends with kUntrappedFailureStatus.
    bool failed() const { return failed_; }

  private:
    void exclusively(const std::function<void()>& command);

    StartupContext ctx_;
    DialogHost dialogs_;
    std::function<void(int)> endProgram_;
    MainWindow state_;
    bool busy_ = false;
    bool failed_ = false;
};

}  // namespace mokuji::window
