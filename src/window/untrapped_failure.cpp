#include "window/untrapped_failure.h"

#include <new>

#include "automation/automation_error.h"
#include "ui/text.h"
#include "view/busy_window.h"

namespace mokuji::window {

std::string UntrappedFailureText(const std::exception& failure) {
    std::string text = ui::Text("予期しないエラーが発生したため、終了します。\r\n\r\n");
    if (const auto* error = dynamic_cast<const automation::AutomationError*>(&failure))
        text += ui::Text("エラー番号 {1}: ", {std::to_string(error->number())});
    else if (dynamic_cast<const std::bad_alloc*>(&failure))
        return text + ui::Text("メモリが足りません。\r\n");
    return text + failure.what() + "\r\n";
}

bool RunTrapped(const std::function<void()>& command, view::RunView& view) {
    try {
        command();
        return true;
    } catch (const std::exception& failure) {
        view::GiveWindowBack(view);
        view.showMessage(UntrappedFailureText(failure));
        return false;
    }
}

}  // namespace mokuji::window
