#include "window/form_load.h"

#include "window/command_line.h"
#include "window/startup_messages.h"
#include "window/unattended_run.h"

namespace mokuji::app {

RunEnd Form_Load(MainWindow& window, const StartupContext& ctx) {
    if (ctx.centreWindow) ctx.centreWindow();
    ctx.view.setCaption(StartupCaption(ctx.fs.programBaseName()));
    window.lbl_mokuji = engine::kListFileName;
    columns::FillPropertyNames(window.prop_name);
    window.g_mokuji_path = engine::kListFileName;

    std::optional<std::string> argument = Unquoted(ctx.arguments);
    if (!argument) {
        ctx.view.showMessage(BadArgumentMessage(ctx.arguments));
        return RunEnd::BadArgument;
    }
    if (argument->empty()) return RunEnd::WaitForUser;
    return RunUnattended(window, ctx, *argument);
}

}  // namespace mokuji::app
