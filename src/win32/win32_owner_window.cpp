#include "win32/win32_owner_window.h"

#include <cstdlib>
#include <string>

#include "os/win32/wide_text.h"

namespace mokuji::win32 {

std::int32_t Win32OwnerWindow::pixelsPerInchY() const {
    HDC dc = GetDC(window_);
    if (dc == nullptr) return 0;
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(window_, dc);
    return dpi;
}

dialogs::OwnerFont Win32OwnerWindow::font() const {
    LOGFONTW lf{};
    if (font_ == nullptr || GetObjectW(font_, sizeof(lf), &lf) == 0) return {};
    dialogs::OwnerFont font;
    font.bold = lf.lfWeight >= FW_BOLD;
    font.italic = lf.lfItalic != 0;
    font.name = os::win::Utf8(std::wstring(lf.lfFaceName, wcsnlen(lf.lfFaceName, LF_FACESIZE)));
    font.strikethru = lf.lfStrikeOut != 0;
    font.underline = lf.lfUnderline != 0;
    // A negative height is the characters' own, a positive one the cell's,
    // which holds the internal leading above them as well.
    HDC dc = GetDC(window_);
    if (dc == nullptr) return font;
    const double dpi = GetDeviceCaps(dc, LOGPIXELSY);
    double pixels = std::abs(lf.lfHeight);
    if (lf.lfHeight > 0) {
        HGDIOBJ old = SelectObject(dc, font_);
        TEXTMETRICW metrics{};
        if (GetTextMetricsW(dc, &metrics)) pixels = metrics.tmHeight - metrics.tmInternalLeading;
        SelectObject(dc, old);
    }
    ReleaseDC(window_, dc);
    if (dpi > 0) font.size = pixels * 72.0 / dpi;
    return font;
}

}  // namespace mokuji::win32
