#pragma once

#include <cstdint>
#include <string>

#include "dialogs/dialog_layer.h"

namespace mokuji::win32 {

// The system dialogs through comdlg32's wide entry points, and the two help
// engines. Buffers keep the sizes in characters that the requests carry;
// what a dialog writes lands over their start and the rest stays as it was.
class Win32DialogLayer : public dialogs::DialogLayer {
  public:
    std::int32_t getOpenFileName(dialogs::FileDialogRequest& request) override;
    std::int32_t getSaveFileName(dialogs::FileDialogRequest& request) override;
    std::int32_t chooseColor(dialogs::ColorRequest& request) override;
    std::int32_t chooseFont(dialogs::FontRequest& request) override;
    std::int32_t printDlg(dialogs::PrintRequest& request) override;
    // The extended error of the last dialog of this layer, 0 after a plain
    // cancel or a confirmation.
    std::int32_t extendedError() override { return lastError_; }
    void winHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                 std::int32_t data) override;
    // The compiled help engine is loaded when first asked for; without it
    // the call does nothing.
    void htmlHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                  std::int32_t data) override;

  private:
    std::int32_t fileDialog(dialogs::FileDialogRequest& request, bool save);
    std::int32_t finish(bool confirmed);

    std::int32_t lastError_ = 0;
};

}  // namespace mokuji::win32
