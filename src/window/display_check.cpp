#include "window/display_check.h"

#include <cstdlib>
#include <string_view>

namespace mokuji::window {

namespace {

bool isSet(const char* value) {
    return value != nullptr && *value != '\0';
}

// "offscreen:fontengine=freetype;xcb" is the offscreen platform with an
// option, tried first.
std::string_view firstPlatform(std::string_view list) {
    list = list.substr(0, list.find(';'));
    return list.substr(0, list.find(':'));
}

}  // namespace

bool ShowsWindows(const std::string& platformName) {
    const std::string_view name = firstPlatform(platformName);
    return !name.empty() && name != "offscreen" && name != "minimal" && name != "minimalegl";
}

bool DisplayAvailable(const char* display, const char* waylandDisplay, const char* platform) {
    if (isSet(platform)) return ShowsWindows(platform);
    return isSet(display) || isSet(waylandDisplay);
}

bool DisplayAvailable() {
    return DisplayAvailable(std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"),
                            std::getenv("QT_QPA_PLATFORM"));
}

std::string PlatformsToTry(const char* requested) {
    return std::string(isSet(requested) ? requested : "xcb;wayland") + ";minimal";
}

}  // namespace mokuji::window
