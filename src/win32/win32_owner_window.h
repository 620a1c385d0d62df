#pragma once

#include <windows.h>

#include "dialogs/dialog_layer.h"

namespace mokuji::win32 {

// A window as the owner of the system dialogs: its handle, the vertical
// resolution of its device context, and the font of its texts.
class Win32OwnerWindow : public dialogs::OwnerWindow {
  public:
    Win32OwnerWindow(HWND window, HFONT font) : window_(window), font_(font) {}
    std::intptr_t windowHandle() const override { return reinterpret_cast<std::intptr_t>(window_); }
    std::int32_t pixelsPerInchY() const override;
    dialogs::OwnerFont font() const override;

  private:
    HWND window_;
    HFONT font_;
};

}  // namespace mokuji::win32
