#pragma once

#include <string>
#include <string_view>

namespace fake {

// A path written the Linux way, in the spelling of the platform the tests run
// on: on Windows a leading "/" is the root of drive C and every "/" becomes
// "\", so one test states the same case on both platforms. Text without a
// "/" comes back as it is.
inline std::string nativePath(std::string_view linuxPath) {
#ifdef _WIN32
    std::string out;
    if (!linuxPath.empty() && linuxPath.front() == '/') out = "C:";
    for (char c : linuxPath) out += c == '/' ? '\\' : c;
    return out;
#else
    return std::string(linuxPath);
#endif
}

}  // namespace fake
