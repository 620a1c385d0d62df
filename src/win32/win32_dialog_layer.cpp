#include "win32/win32_dialog_layer.h"

#include <windows.h>

#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "os/win32/wide_text.h"

namespace mokuji::win32 {

namespace {

// The records carry no hook procedure and no template, so the bits that
// would make the dialog call or load one are dropped: with them set the
// system would follow a null pointer.
constexpr DWORD kOfnNeedsHookOrTemplate =
    OFN_ENABLEHOOK | OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE;
constexpr DWORD kCcNeedsHookOrTemplate =
    CC_ENABLEHOOK | CC_ENABLETEMPLATE | CC_ENABLETEMPLATEHANDLE;
constexpr DWORD kCfNeedsHookOrTemplate =
    CF_ENABLEHOOK | CF_ENABLETEMPLATE | CF_ENABLETEMPLATEHANDLE;
constexpr DWORD kPdNeedsHookOrTemplate =
    PD_ENABLEPRINTHOOK | PD_ENABLESETUPHOOK | PD_ENABLEPRINTTEMPLATE | PD_ENABLESETUPTEMPLATE |
    PD_ENABLEPRINTTEMPLATEHANDLE | PD_ENABLESETUPTEMPLATEHANDLE;

// A text buffer of the request's size in characters, starting with its
// text. One NUL more lies beyond the size the dialog is told, so a text
// that fills the buffer without its own NUL is never read past the end.
class WideBuffer {
  public:
    WideBuffer(const std::string& text, std::int32_t size) {
        const std::wstring wide = os::win::Wide(text);
        size_ = static_cast<DWORD>(std::max<std::int32_t>(size, 0));
        units_.assign(std::max<std::size_t>(wide.size(), size_) + 1, L'\0');
        std::copy(wide.begin(), wide.end(), units_.begin());
    }
    wchar_t* data() { return units_.data(); }
    DWORD size() const { return size_; }
    // The whole buffer as the dialog left it.
    std::string text() const {
        return os::win::Utf8(std::wstring_view(units_.data(), units_.size() - 1));
    }

  private:
    std::vector<wchar_t> units_;
    DWORD size_ = 0;
};

// The text up to its first NUL, or none when that is empty: the dialogs
// take a missing text as "use your own".
class OptionalText {
  public:
    explicit OptionalText(const std::string& text)
        : wide_(os::win::Wide(text.substr(0, text.find('\0')))) {}
    const wchar_t* get() const { return wide_.empty() ? nullptr : wide_.c_str(); }

  private:
    std::wstring wide_;
};

HWND ownerOf(std::intptr_t handle) {
    HWND owner = reinterpret_cast<HWND>(handle);
    return owner != nullptr && IsWindow(owner) ? owner : nullptr;
}

}  // namespace

std::int32_t Win32DialogLayer::getOpenFileName(dialogs::FileDialogRequest& request) {
    return fileDialog(request, false);
}

std::int32_t Win32DialogLayer::getSaveFileName(dialogs::FileDialogRequest& request) {
    return fileDialog(request, true);
}

std::int32_t Win32DialogLayer::finish(bool confirmed) {
    lastError_ = confirmed ? 0 : static_cast<std::int32_t>(CommDlgExtendedError());
    return confirmed ? 1 : 0;
}

std::int32_t Win32DialogLayer::fileDialog(dialogs::FileDialogRequest& request, bool save) {
    // The filter list ends in an empty entry: the text's own last NUL and
    // the one the wide string adds.
    const std::wstring filter = os::win::Wide(request.filter);
    WideBuffer file(request.fileBuffer, request.fileBufferSize);
    WideBuffer title(request.fileTitle, request.fileTitleSize);
    const OptionalText initialDir(request.initialDir);
    const OptionalText caption(request.title);
    const OptionalText defaultExt(request.defaultExt);

    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = ownerOf(request.owner);
    ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(std::max<std::int32_t>(request.filterIndex, 0));
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = file.size();
    ofn.lpstrFileTitle = title.data();
    ofn.nMaxFileTitle = title.size();
    ofn.lpstrInitialDir = initialDir.get();
    ofn.lpstrTitle = caption.get();
    ofn.Flags = static_cast<DWORD>(request.flags) & ~kOfnNeedsHookOrTemplate;
    ofn.lpstrDefExt = defaultExt.get();

    const BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    request.fileBuffer = file.text();
    request.fileOffset = static_cast<std::int32_t>(ofn.nFileOffset);
    request.fileTitle = title.text();
    request.filterIndex = static_cast<std::int32_t>(ofn.nFilterIndex);
    return finish(chosen != FALSE);
}

std::int32_t Win32DialogLayer::chooseColor(dialogs::ColorRequest& request) {
    COLORREF custom[16];
    std::copy(request.customColors.begin(), request.customColors.end(), custom);
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = ownerOf(request.owner);
    cc.rgbResult = static_cast<COLORREF>(request.color);
    cc.lpCustColors = custom;
    cc.Flags = static_cast<DWORD>(request.flags) & ~kCcNeedsHookOrTemplate;
    const BOOL chosen = ChooseColorW(&cc);
    std::copy(std::begin(custom), std::end(custom), request.customColors.begin());
    request.color = static_cast<std::int32_t>(cc.rgbResult);
    return finish(chosen != FALSE);
}

std::int32_t Win32DialogLayer::chooseFont(dialogs::FontRequest& request) {
    LOGFONTW lf{};
    lf.lfHeight = request.font.height;
    lf.lfWidth = request.font.width;
    lf.lfEscapement = request.font.escapement;
    lf.lfOrientation = request.font.orientation;
    lf.lfWeight = request.font.weight;
    lf.lfItalic = request.font.italic;
    lf.lfUnderline = request.font.underline;
    lf.lfStrikeOut = request.font.strikeOut;
    const std::wstring face = os::win::Wide(request.font.faceName);
    std::copy_n(face.begin(), std::min<std::size_t>(face.size(), LF_FACESIZE - 1), lf.lfFaceName);

    CHOOSEFONTW cf{};
    cf.lStructSize = sizeof(cf);
    cf.hwndOwner = ownerOf(request.owner);
    cf.lpLogFont = &lf;
    cf.Flags = static_cast<DWORD>(request.flags) & ~kCfNeedsHookOrTemplate;
    cf.rgbColors = static_cast<COLORREF>(request.color);
    cf.nSizeMin = request.sizeMin;
    cf.nSizeMax = request.sizeMax;
    const BOOL chosen = ChooseFontW(&cf);

    request.font.height = lf.lfHeight;
    request.font.width = lf.lfWidth;
    request.font.escapement = lf.lfEscapement;
    request.font.orientation = lf.lfOrientation;
    request.font.weight = lf.lfWeight;
    request.font.italic = lf.lfItalic;
    request.font.underline = lf.lfUnderline;
    request.font.strikeOut = lf.lfStrikeOut;
    request.font.faceName = os::win::Utf8(std::wstring_view(lf.lfFaceName, LF_FACESIZE));
    request.color = static_cast<std::int32_t>(cf.rgbColors);
    return finish(chosen != FALSE);
}

std::int32_t Win32DialogLayer::printDlg(dialogs::PrintRequest& request) {
    PRINTDLGW pd{};
    pd.lStructSize = sizeof(pd);
    pd.hwndOwner = ownerOf(request.owner);
    HDC given = reinterpret_cast<HDC>(static_cast<std::intptr_t>(request.hdc));
    pd.hDC = given;
    pd.Flags = static_cast<DWORD>(request.flags) & ~kPdNeedsHookOrTemplate;
    pd.nFromPage = static_cast<WORD>(request.fromPage);
    pd.nToPage = static_cast<WORD>(request.toPage);
    pd.nMinPage = static_cast<WORD>(request.minPage);
    pd.nMaxPage = static_cast<WORD>(request.maxPage);
    pd.nCopies = static_cast<WORD>(request.copies);
    const BOOL chosen = PrintDlgW(&pd);
    const std::int32_t result = finish(chosen != FALSE);
    if (chosen) {
        request.fromPage = static_cast<std::int16_t>(pd.nFromPage);
        request.toPage = static_cast<std::int16_t>(pd.nToPage);
        request.minPage = static_cast<std::int16_t>(pd.nMinPage);
        request.maxPage = static_cast<std::int16_t>(pd.nMaxPage);
        request.copies = static_cast<std::int16_t>(pd.nCopies);
    }
    // Nobody reads the printer's settings or device context back, so what
    // the dialog made of them is released here.
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
    if (pd.hDC && pd.hDC != given) DeleteDC(pd.hDC);
    return result;
}

void Win32DialogLayer::winHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                               std::int32_t data) {
    WinHelpW(ownerOf(owner), os::win::Wide(file).c_str(), static_cast<UINT>(command),
             static_cast<ULONG_PTR>(static_cast<LONG_PTR>(data)));
}

void Win32DialogLayer::htmlHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                                std::int32_t data) {
    using HtmlHelpProc = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    // Looked up once: the engine stays loaded for the life of the program.
    static const HtmlHelpProc htmlHelpW = [] {
        HMODULE engine = LoadLibraryW(L"hhctrl.ocx");
        return engine ? reinterpret_cast<HtmlHelpProc>(
                            reinterpret_cast<void*>(GetProcAddress(engine, "HtmlHelpW")))
                      : nullptr;
    }();
    if (htmlHelpW == nullptr) return;
    htmlHelpW(ownerOf(owner), os::win::Wide(file).c_str(), static_cast<UINT>(command),
              static_cast<DWORD_PTR>(static_cast<LONG_PTR>(data)));
}

}  // namespace mokuji::win32
