#pragma once

#include <cstdint>
#include <string>

#include "dialogs/dialog_layer.h"
#include "os/shell.h"

class QWidget;

namespace mokuji::qt {

// The system dialogs played by Qt's: file open and save, colour, font and
// printer. Help files have no engine on this desktop; they are opened with
// the desktop's opener.
class QtDialogLayer : public dialogs::DialogLayer {
  public:
    explicit QtDialogLayer(os::Shell& shell);

    std::int32_t getOpenFileName(dialogs::FileDialogRequest& request) override;
    std::int32_t getSaveFileName(dialogs::FileDialogRequest& request) override;
    std::int32_t chooseColor(dialogs::ColorRequest& request) override;
    std::int32_t chooseFont(dialogs::FontRequest& request) override;
    std::int32_t printDlg(dialogs::PrintRequest& request) override;
    std::int32_t extendedError() override { return lastError_; }
    void winHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                 std::int32_t data) override;
    void htmlHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                  std::int32_t data) override;

  private:
    std::int32_t fileDialog(dialogs::FileDialogRequest& request, bool save);
    void openHelpFile(const std::string& file);

    os::Shell& shell_;
    std::int32_t lastError_ = 0;
};

// The window an owner handle names, or none: handles are only compared with
// the windows that exist, never followed blindly.
QWidget* WidgetOfHandle(std::intptr_t handle);
std::intptr_t HandleOf(const QWidget& widget);

// The owner window's part for the dialogs: its handle, resolution and font.
class QtOwnerWindow : public dialogs::OwnerWindow {
  public:
    explicit QtOwnerWindow(QWidget& window) : window_(window) {}
    std::intptr_t windowHandle() const override { return HandleOf(window_); }
    std::int32_t pixelsPerInchY() const override;
    dialogs::OwnerFont font() const override;

  private:
    QWidget& window_;
};

}  // namespace mokuji::qt
