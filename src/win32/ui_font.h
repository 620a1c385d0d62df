#pragma once

#include <windows.h>

namespace mokuji::win32 {

// The Japanese font of the window's texts, 9 points: the first of a few
// proportional Gothic faces the system has, so that the labels wrap alike on
// every machine; the system's dialog font when it has none of them.
class UiFont {
  public:
    UiFont();
    ~UiFont();
    UiFont(const UiFont&) = delete;
    UiFont& operator=(const UiFont&) = delete;

    HFONT handle() const { return font_; }

  private:
    HFONT font_ = nullptr;
    bool owned_ = false;
};

}  // namespace mokuji::win32
