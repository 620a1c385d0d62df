#include "win32/win32_desktop.h"

#include <memory>
#include <utility>

#include "win32/win32_desktop_window.h"
#include "window/untrapped_failure.h"

namespace mokuji::win32 {

int RunWin32Desktop(os::FileSystem& fs, os::Shell& shell,
                    automation::ApplicationFactory createApplication, window::Gatherer gather,
                    std::string arguments, window::GatheringSettings gathering) {
    std::unique_ptr<Win32DesktopWindow> window;
    try {
        window = std::make_unique<Win32DesktopWindow>(fs, shell, std::move(createApplication),
                                                      std::move(gather), std::move(arguments),
                                                      std::move(gathering));
    } catch (const WindowUnavailable&) {
        return kNoDesktopWindow;
    }
    const window::RunEnd outcome = window->start();
    if (window->failed()) return window::kUntrappedFailureStatus;
    if (outcome != window::RunEnd::WaitForUser) return window::ExitStatusOf(outcome);
    return window->messageLoop();
}

}  // namespace mokuji::win32
