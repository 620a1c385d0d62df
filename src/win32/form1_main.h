#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "win32/ui_font.h"

namespace mokuji::win32 {

// No window could be made: Wine without a display, a session without a
// desktop. The program then has its console start only.
class WindowUnavailable : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// The program's only window, as a Win32 window: its controls and menus at
// their design places, knowing nothing of what they start. Whoever owns the
// window hands in what a drop, the button and each menu item do.
class Form1_MAIN {
  public:
    // Made hidden; throws WindowUnavailable when the system makes none.
    Form1_MAIN();
    ~Form1_MAIN();
    Form1_MAIN(const Form1_MAIN&) = delete;
    Form1_MAIN& operator=(const Form1_MAIN&) = delete;

    // The local files and folders of a drop, as UTF-8 paths in the order
    // delivered; never called for a drop without file names.
    std::function<void(const std::vector<std::string>&)> onDrop;
    std::function<void()> cmd_run_Click;
    std::function<void()> mnu_make_Click;
    std::function<void()> mnu_version_Click;
    std::function<void()> mnu_end_Click;
    std::function<void()> mnu_help1_Click;
    std::function<void()> mnu_help_予約語_Click;
    // The user closed the window (its close box, Alt+F4); it is then gone.
    std::function<void()> onClose;

    HWND hwnd() const { return hwnd_; }
    HWND Image1() const { return image1_; }
    HWND Label1(int index) const { return label1_.at(static_cast<std::size_t>(index)); }
    HWND lbl_mokuji() const { return lblMokuji_; }
    HWND cmd_run() const { return cmdRun_; }
    HFONT font() const { return font_.handle(); }

    // Shows the list file's name in its label, which sizes itself to it.
    void setListFileName(const std::string& name);

    // While a run works the pointer is the hourglass over every part of the
    // window, and the mouse is held so that it stays so while it moves.
    void setBusyPointer(bool busy);
    bool busyPointer() const { return busyPointer_; }

  private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK childProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR form);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    void buildControls();
    HWND placeLabel(int id, const std::string& caption, const RECT& place);
    void paintBackground(HDC dc);
    void command(int id);
    void takeDrop(HDROP drop);

    UiFont font_;
    HBRUSH paleYellow_ = nullptr;
    HBITMAP background_ = nullptr;
    HBITMAP image1Bitmap_ = nullptr;
    HICON icon_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND image1_ = nullptr;
    std::array<HWND, 2> label1_{};
    HWND lblMokuji_ = nullptr;
    HWND cmdRun_ = nullptr;
    bool busyPointer_ = false;
};

// The local paths of a drop, UTF-8, in the order the drop lists them.
std::vector<std::string> DroppedPaths(HDROP drop);

}  // namespace mokuji::win32
