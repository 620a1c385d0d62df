#include "win32/ui_font.h"

#include <cwchar>

namespace mokuji::win32 {

namespace {

// The window was drawn for the first; Wine and Linux desktops offer the
// others under their own names.
constexpr const wchar_t* kFaces[] = {L"ＭＳ Ｐゴシック", L"MS PGothic", L"IPAPGothic", L"IPAGothic",
                                     L"Noto Sans CJK JP"};
constexpr int kPoints = 9;

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(HDC dc, const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = SHIFTJIS_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc, &wanted, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    return found;
}

}  // namespace

UiFont::UiFont() {
    HDC screen = GetDC(nullptr);
    const int height = -MulDiv(kPoints, screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96, 72);
    for (const wchar_t* face : kFaces) {
        if (screen == nullptr || !installed(screen, face)) continue;
        font_ = CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                            DEFAULT_PITCH | FF_DONTCARE, face);
        if (font_ != nullptr) break;
    }
    if (screen) ReleaseDC(nullptr, screen);
    owned_ = font_ != nullptr;
    if (!owned_) font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

UiFont::~UiFont() {
    if (owned_) DeleteObject(font_);
}

}  // namespace mokuji::win32
