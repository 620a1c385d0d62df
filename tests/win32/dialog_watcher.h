#pragma once

// Answers the dialogs and message boxes that the window's thread opens
// while it lives, one scripted answer each, and notes what each showed.
// Without an answer left a file dialog is cancelled and a message box
// confirmed; a dialog still open long after its answer is cancelled too, so
// no test waits for a person.

#include <windows.h>

#include <dlgs.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "os/win32/wide_text.h"

namespace fake {

class DialogWatcher {
  public:
    using Answer = std::function<void(HWND)>;

    struct Seen {
        std::string title;
        // A message box's text, or the name a file dialog was preset with.
        std::string text;
        bool fileDialog = false;
        int buttons = 0;
    };

    explicit DialogWatcher(DWORD uiThread = GetCurrentThreadId())
        : uiThread_(uiThread), worker_([this] { run(); }) {}
    ~DialogWatcher() {
        stop_ = true;
        worker_.join();
    }
    DialogWatcher(const DialogWatcher&) = delete;
    DialogWatcher& operator=(const DialogWatcher&) = delete;

    void then(Answer answer) {
        std::lock_guard<std::mutex> lock(mutex_);
        answers_.push_back(std::move(answer));
    }
    void cancel() {
        then([](HWND dialog) { press(dialog, IDCANCEL); });
    }
    // Types a name into the file name box and presses OK, as a user does.
    void type(const std::string& name) {
        then([name = mokuji::os::win::Wide(name)](HWND dialog) {
            SetDlgItemTextW(dialog, cmb13, name.c_str());
            press(dialog, IDOK);
        });
    }

    std::vector<Seen> seen() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return seen_;
    }
    bool lingered() const { return lingered_; }

  private:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kLinger = std::chrono::seconds(15);

    static void press(HWND dialog, int id) {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    static std::wstring classOf(HWND window) {
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        return name;
    }

    static std::string textOf(HWND window) {
        wchar_t text[4096] = {};
        const int length = GetWindowTextW(window, text, 4096);
        return mokuji::os::win::Utf8(std::wstring_view(text, length));
    }

    static Seen describe(HWND dialog) {
        Seen seen;
        seen.title = textOf(dialog);
        HWND name = GetDlgItem(dialog, cmb13);
        seen.fileDialog = name != nullptr;
        if (seen.fileDialog) seen.text = textOf(name);
        EnumChildWindows(
            dialog,
            [](HWND child, LPARAM into) -> BOOL {
                auto* seen = reinterpret_cast<Seen*>(into);
                const std::wstring kind = classOf(child);
                if (_wcsicmp(kind.c_str(), L"Button") == 0 && IsWindowVisible(child)) {
                    ++seen->buttons;
                } else if (!seen->fileDialog && _wcsicmp(kind.c_str(), L"Static") == 0) {
                    std::string text = textOf(child);
                    if (text.size() > seen->text.size()) seen->text = std::move(text);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&seen));
        return seen;
    }

    std::vector<HWND> openDialogs() const {
        std::vector<HWND> found;
        EnumThreadWindows(
            uiThread_,
            [](HWND window, LPARAM into) -> BOOL {
                if (classOf(window) == L"#32770" && IsWindowVisible(window)) {
                    reinterpret_cast<std::vector<HWND>*>(into)->push_back(window);
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&found));
        return found;
    }

    void run() {
        while (!stop_) {
            for (HWND dialog : openDialogs()) {
                auto answered = answered_.find(dialog);
                if (answered == answered_.end()) {
                    answer(dialog);
                } else if (Clock::now() - answered->second > kLinger) {
                    lingered_ = true;
                    press(dialog, IDCANCEL);
                    answered->second = Clock::now();
                }
            }
            for (auto it = answered_.begin(); it != answered_.end();) {
                it = IsWindow(it->first) ? std::next(it) : answered_.erase(it);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    void answer(HWND dialog) {
        answered_[dialog] = Clock::now();
        Seen seen = describe(dialog);
        Answer next;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            seen_.push_back(seen);
            if (!answers_.empty()) {
                next = std::move(answers_.front());
                answers_.pop_front();
            }
        }
        if (next) {
            next(dialog);
        } else {
            press(dialog, seen.fileDialog ? IDCANCEL : IDOK);
        }
    }

    const DWORD uiThread_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> lingered_{false};
    mutable std::mutex mutex_;
    std::deque<Answer> answers_;
    std::vector<Seen> seen_;
    std::map<HWND, Clock::time_point> answered_;
    std::thread worker_;
};

}  // namespace fake
