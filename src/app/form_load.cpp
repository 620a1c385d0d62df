#include "app/form_load.h"

#include "app/command_line.h"
#include "app/startup_messages.h"
#include "app/unattended_run.h"

namespace mokuji::app {

StartupOutcome Form_Load(MainWindow& window, const StartupContext& ctx) {
    if (ctx.centreWindow) ctx.centreWindow();
    ctx.view.setCaption(StartupCaption(ctx.fs.programBaseName()));
    window.lbl_mokuji = engine::kListFileName;
    columns::FillPropertyNames(window.prop_name);
    window.g_mokuji_path = engine::kListFileName;

    std::optional<std::string> argument = Unquoted(ctx.arguments);
    if (!argument) {
        ctx.view.showMessage(BadArgumentMessage(ctx.arguments));
        return StartupOutcome::BadArgument;
    }
    if (argument->empty()) return StartupOutcome::WaitForUser;
    return RunUnattended(window, ctx, *argument);
}

int ExitStatusOf(StartupOutcome outcome) {
    switch (outcome) {
        case StartupOutcome::ListWritten:
            return 0;
        case StartupOutcome::NothingGathered:
            return 1;
        case StartupOutcome::ListNotSaved:
            return 2;
        case StartupOutcome::ReadFailed:
            return 3;
        case StartupOutcome::ListIncomplete:
            return 4;
        case StartupOutcome::ListHeld:
            return 5;
        case StartupOutcome::BadArgument:
        case StartupOutcome::WaitForUser:
            break;
    }
    return 64;  // a usage error, as sysexits names it
}

}  // namespace mokuji::app
