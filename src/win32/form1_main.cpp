#include "win32/form1_main.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "os/win32/wide_text.h"
#include "ui/text.h"
#include "win32/window_resources.h"

namespace mokuji::win32 {

namespace {

constexpr const wchar_t* kClassName = L"mokuji.Form1_MAIN";
// Design lengths are twips; the window is laid out for 15 twips a pixel.
constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 7905 / kTwipsPerPixel;
constexpr int kClientHeight = 5040 / kTwipsPerPixel;
constexpr COLORREF kPaleYellow = RGB(255, 255, 192);
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr UINT kLabelText = DT_LEFT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS;

RECT fromTwips(int left, int top, int width, int height) {
    const int x = left / kTwipsPerPixel;
    const int y = top / kTwipsPerPixel;
    return {x, y, x + width / kTwipsPerPixel, y + height / kTwipsPerPixel};
}

HINSTANCE module() {
    return GetModuleHandleW(nullptr);
}

void registerClass(WNDPROC procedure) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExW(module(), kClassName, &existing)) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = module();
    wc.hIcon = static_cast<HICON>(
        LoadImageW(module(), MAKEINTRESOURCEW(IDI_MOKUJI), IMAGE_ICON, 32, 32, 0));
    wc.hIconSm = static_cast<HICON>(
        LoadImageW(module(), MAKEINTRESOURCEW(IDI_MOKUJI), IMAGE_ICON, 16, 16, 0));
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    if (!RegisterClassExW(&wc)) throw WindowUnavailable("the window class cannot be registered");
}

// The text's height wrapped at the given width, in the control's font.
int wrappedHeight(HWND control, HFONT font, const std::wstring& text, int width) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, width, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, kLabelText | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return r.bottom - r.top;
}

// The menu's resource holds the Japanese captions; each is given again in
// the language in use.
void relabelMenu(HMENU menu) {
    const auto relabel = [](HMENU in, UINT item, UINT how, const char* text) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_STRING;
        std::wstring wide = os::win::Wide(text);
        info.dwTypeData = wide.data();
        SetMenuItemInfoW(in, item, how == MF_BYPOSITION, &info);
    };
    relabel(menu, 0, MF_BYPOSITION, ui::Text("ﾌｧｲﾙ(&F)"));
    relabel(menu, 1, MF_BYPOSITION, ui::Text("ヘルプ"));
    relabel(menu, IDM_MNU_MAKE, MF_BYCOMMAND, ui::Text("目次ファイル作成"));
    relabel(menu, IDM_MNU_VERSION, MF_BYCOMMAND, ui::Text("バージョン"));
    relabel(menu, IDM_MNU_END, MF_BYCOMMAND, ui::Text("終了"));
    relabel(menu, IDM_MNU_HELP1, MF_BYCOMMAND, ui::Text("ヘルプ"));
    relabel(menu, IDM_MNU_HELP_RESERVED, MF_BYCOMMAND, ui::Text("名前の予約語"));
}

SIZE lineExtent(HWND control, HFONT font, const std::wstring& text) {
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_LEFT | DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

Form1_MAIN::Form1_MAIN() {
    registerClass(&Form1_MAIN::windowProc);
    paleYellow_ = CreateSolidBrush(kPaleYellow);
    background_ = static_cast<HBITMAP>(
        LoadImageW(module(), MAKEINTRESOURCEW(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, 0));
    image1Bitmap_ = static_cast<HBITMAP>(
        LoadImageW(module(), MAKEINTRESOURCEW(IDB_IMAGE1), IMAGE_BITMAP, 0, 0, 0));
    HMENU menu = LoadMenuW(module(), MAKEINTRESOURCEW(IDR_FORM1_MAIN_MENU));
    if (menu) relabelMenu(menu);
    hwnd_ =
        CreateWindowExW(WS_EX_ACCEPTFILES, kClassName, L"Form1_MAIN", kStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr, menu, module(), this);
    if (hwnd_ == nullptr) {
        const DWORD error = GetLastError();
        if (menu) DestroyMenu(menu);
        DeleteObject(paleYellow_);
        if (background_) DeleteObject(background_);
        if (image1Bitmap_) DeleteObject(image1Bitmap_);
        throw WindowUnavailable("the system made no window (error " + std::to_string(error) + ")");
    }
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);

    // The layout is fixed, so the outer size is whatever gives the client
    // area its design size, the menu bar included however it wraps.
    RECT outer{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&outer, kStyle, TRUE, WS_EX_ACCEPTFILES);
    SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT client;
    GetClientRect(hwnd_, &client);
    if (client.right != kClientWidth || client.bottom != kClientHeight) {
        SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + kClientWidth - client.right,
                     outer.bottom - outer.top + kClientHeight - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    buildControls();
    // Drops are taken by every part of the window: the children take them
    // too and hand them on, so a drop never depends on which of them the
    // system asks. The system's own target for such windows answers a drag
    // with a copy, never a move: a drop only names a folder, and the source
    // must not delete what was dropped. No IDropTarget of ours may change
    // that.
    DragAcceptFiles(hwnd_, TRUE);
}

Form1_MAIN::~Form1_MAIN() {
    if (busyPointer_) setBusyPointer(false);
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    DeleteObject(paleYellow_);
    if (background_) DeleteObject(background_);
    if (image1Bitmap_) DeleteObject(image1Bitmap_);
}

void Form1_MAIN::buildControls() {
    const RECT image = fromTwips(135, 90, 345, 345);
    image1_ =
        CreateWindowExW(WS_EX_ACCEPTFILES, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_BITMAP,
                        image.left, image.top, image.right - image.left, image.bottom - image.top,
                        hwnd_, reinterpret_cast<HMENU>(IDC_IMAGE1), module(), nullptr);
    if (image1Bitmap_) {
        SendMessageW(image1_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(image1Bitmap_));
    }
    label1_[0] = placeLabel(
        IDC_LABEL1_0, ui::Text("複数のEXCELﾌｧｲﾙの共通部分(名前部分)を集め、EXCELの一覧表にする。"),
        fromTwips(4320, 495, 3300, 375));
    lblMokuji_ =
        placeLabel(IDC_LBL_MOKUJI, ui::Text("目次ファイル名"), fromTwips(4365, 1215, 1155, 180));
    setListFileName(ui::Text("目次ファイル名"));
    label1_[1] = placeLabel(IDC_LABEL1_1,
                            ui::Text("ここに集計したいEXCELﾌｧｲﾙをドラッグドロップしてください"),
                            fromTwips(360, 3465, 2400, 375));
    const RECT button = fromTwips(4365, 3960, 3255, 555);
    cmdRun_ = CreateWindowExW(WS_EX_ACCEPTFILES, L"BUTTON",
                              os::win::Wide(ui::Text("目次ファイル作成")).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, button.left,
                              button.top, button.right - button.left, button.bottom - button.top,
                              hwnd_, reinterpret_cast<HMENU>(IDC_CMD_RUN), module(), nullptr);
    SendMessageW(cmdRun_, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
    for (HWND child : {image1_, label1_[0], lblMokuji_, label1_[1], cmdRun_}) {
        SetWindowSubclass(child, &Form1_MAIN::childProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
}

HWND Form1_MAIN::placeLabel(int id, const std::string& caption, const RECT& place) {
    const std::wstring wide = os::win::Wide(caption);
    const wchar_t* text = wide.c_str();
    const int width = place.right - place.left;
    HWND label = CreateWindowExW(
        WS_EX_ACCEPTFILES, L"STATIC", text, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
        place.left, place.top, width, place.bottom - place.top, hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), module(), nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font()), FALSE);
    // The design heights were made for another font; a text is never cut,
    // so a label grows downwards when its text needs more lines.
    const int height =
        std::max<int>(place.bottom - place.top, wrappedHeight(label, font(), wide, width));
    SetWindowPos(label, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    return label;
}

void Form1_MAIN::setListFileName(const std::string& name) {
    const std::wstring text = os::win::Wide(name);
    RECT before;
    GetWindowRect(lblMokuji_, &before);
    MapWindowPoints(nullptr, hwnd_, reinterpret_cast<POINT*>(&before), 2);
    SetWindowTextW(lblMokuji_, text.c_str());
    const SIZE size = lineExtent(lblMokuji_, font(), text);
    SetWindowPos(lblMokuji_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
    // The label is see-through: what it showed before is painted over by
    // the window's own background.
    RedrawWindow(hwnd_, &before, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void Form1_MAIN::setBusyPointer(bool busy) {
    busyPointer_ = busy;
    if (busy) {
        if (hwnd_ != nullptr) SetCapture(hwnd_);
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    } else {
        if (hwnd_ != nullptr && GetCapture() == hwnd_) ReleaseCapture();
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
}

void Form1_MAIN::paintBackground(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, paleYellow_);
    if (background_ == nullptr) return;
    HDC picture = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(picture, background_);
    BITMAP size{};
    GetObjectW(background_, sizeof(size), &size);
    BitBlt(dc, 0, 0, size.bmWidth, size.bmHeight, picture, 0, 0, SRCCOPY);
    SelectObject(picture, old);
    DeleteDC(picture);
}

void Form1_MAIN::command(int id) {
    const std::function<void()>* handler = nullptr;
    switch (id) {
        case IDC_CMD_RUN:
            handler = &cmd_run_Click;
            break;
        case IDM_MNU_MAKE:
            handler = &mnu_make_Click;
            break;
        case IDM_MNU_VERSION:
            handler = &mnu_version_Click;
            break;
        case IDM_MNU_END:
            handler = &mnu_end_Click;
            break;
        case IDM_MNU_HELP1:
            handler = &mnu_help1_Click;
            break;
        case IDM_MNU_HELP_RESERVED:
            handler = &mnu_help_予約語_Click;
            break;
        default:
            return;
    }
    if (*handler) (*handler)();
}

void Form1_MAIN::takeDrop(HDROP drop) {
    std::vector<std::string> paths = DroppedPaths(drop);
    // Released before the run, which may take long: the names are copied.
    DragFinish(drop);
    if (!paths.empty() && onDrop) onDrop(paths);
}

LRESULT Form1_MAIN::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            paintBackground(reinterpret_cast<HDC>(wParam));
            return 1;
        case WM_CTLCOLORSTATIC: {
            HDC dc = reinterpret_cast<HDC>(wParam);
            // The drop instruction has its own plain colour; the other
            // texts lie on the picture.
            if (reinterpret_cast<HWND>(lParam) == label1_[1]) {
                SetBkColor(dc, kPaleYellow);
                return reinterpret_cast<LRESULT>(paleYellow_);
            }
            SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
        }
        case WM_SETCURSOR:
            if (busyPointer_) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_COMMAND:
            // Menu items come with no control; the button says it was
            // clicked.
            if (lParam == 0 ||
                (reinterpret_cast<HWND>(lParam) == cmdRun_ && HIWORD(wParam) == BN_CLICKED)) {
                command(LOWORD(wParam));
                return 0;
            }
            break;
        case WM_DROPFILES:
            takeDrop(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_CLOSE:
            if (onClose) onClose();
            DestroyWindow(hwnd_);
            return 0;
        case WM_NCDESTROY: {
            const HWND gone = hwnd_;
            hwnd_ = nullptr;
            SetWindowLongPtrW(gone, GWLP_USERDATA, 0);
            return DefWindowProcW(gone, message, wParam, lParam);
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form1_MAIN::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* created =
            reinterpret_cast<Form1_MAIN*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        created->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    auto* form = reinterpret_cast<Form1_MAIN*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (form == nullptr || form->hwnd_ != hwnd)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    return form->handle(message, wParam, lParam);
}

LRESULT CALLBACK Form1_MAIN::childProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR form) {
    if (message == WM_DROPFILES) {
        reinterpret_cast<Form1_MAIN*>(form)->takeDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &Form1_MAIN::childProc, 1);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

std::vector<std::string> DroppedPaths(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        if (length == 0) continue;
        std::wstring name(length + 1, L'\0');
        const UINT copied = DragQueryFileW(drop, i, name.data(), length + 1);
        name.resize(std::min(copied, length));
        if (!name.empty()) paths.push_back(os::win::Utf8(name));
    }
    return paths;
}

}  // namespace mokuji::win32
