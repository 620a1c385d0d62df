#include "window/form_load.h"

#include "window/command_line.h"
#include "window/startup_messages.h"
#include "window/unattended_run.h"

namespace mokuji::window {

RunEnd Form_Load(MainWindow& window, const StartupContext& ctx) {
    if (ctx.centreWindow) ctx.centreWindow();
    ctx.view.setCaption(StartupCaption(ctx.fs.programBaseName()));
    window.lbl_mokuji = list_file::kListFileName;
    list_file::FillPropertyNames(window.prop_name);
    window.g_mokuji_path = list_file::kListFileName;

    std::optional<std::string> argument = Unquoted(ctx.arguments);
    if (!argument) {
        ctx.view.showMessage(BadArgumentMessage(ctx.arguments));
        return RunEnd::BadArgument;
    }
    if (argument->empty()) return RunEnd::WaitForUser;
    return RunUnattended(window, ctx, *argument);
}

}  // namespace mokuji::window
