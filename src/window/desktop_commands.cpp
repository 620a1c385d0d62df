#include "window/desktop_commands.h"

#include <utility>

#include "window/drop_intake.h"
#include "window/information_texts.h"
#include "window/untrapped_failure.h"

namespace mokuji::window {

DesktopCommands::DesktopCommands(StartupContext ctx, DialogHost dialogs,
                                 std::function<void(int)> endProgram)
    : ctx_(std::move(ctx)), dialogs_(std::move(dialogs)), endProgram_(std::move(endProgram)) {}

RunEnd DesktopCommands::load() {
    RunEnd outcome = RunEnd::WaitForUser;
    exclusively([&] { outcome = Form_Load(state_, ctx_); });
    return outcome;
}

void DesktopCommands::drop(const std::vector<std::string>& paths) {
    exclusively([&] { sub_OLEDragDrop(paths, state_, ctx_); });
}

void DesktopCommands::runButton() {
    exclusively([this] { cmd_run_Click(state_, ctx_, dialogs_); });
}

void DesktopCommands::makeMenuItem() {
    exclusively([this] { mnu_make_Click(state_, ctx_, dialogs_); });
}

void DesktopCommands::versionMenuItem() {
    mnu_version_Click(ctx_.view, ctx_.fs);
}

void DesktopCommands::helpMenuItem() {
    mnu_help1_Click(ctx_.view);
}

void DesktopCommands::reservedWordsMenuItem() {
    mnu_help_予約語_Click(ctx_.view, state_.prop_name);
}

void DesktopCommands::exclusively(const std::function<void()>& command) {
    if (busy_) return;
    busy_ = true;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release{busy_};
    if (!RunTrapped(command, ctx_.view)) {
        failed_ = true;
        endProgram_(kUntrappedFailureStatus);
    }
}

}  // namespace mokuji::window
