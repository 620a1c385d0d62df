#include "win32/win32_desktop.h"

#include <memory>
#include <utility>

#include "win32/win32_desktop_window.h"
#include "window/untrapped_failure.h"

namespace mokuji::app {

int RunWin32Desktop(platform::FileSystem& fs, platform::Shell& shell,
                    automation::ApplicationFactory createApplication, Gatherer gather,
                    std::string arguments, GatheringSettings gathering) {
    std::unique_ptr<Win32DesktopWindow> window;
    try {
        window = std::make_unique<Win32DesktopWindow>(fs, shell, std::move(createApplication),
                                                      std::move(gather), std::move(arguments),
                                                      std::move(gathering));
    } catch (const platform::win32::WindowUnavailable&) {
        return kNoDesktopWindow;
    }
    const RunEnd outcome = window->start();
    if (window->failed()) return kUntrappedFailureStatus;
    if (outcome != RunEnd::WaitForUser) return ExitStatusOf(outcome);
    return window->messageLoop();
}

}  // namespace mokuji::app
