#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "os/shell.h"

namespace mokuji::os {

// What ShellOpen gives back: the task identifier of a started program, or
// the shell's value for a document (32 or less when it could not be opened).
using ShellOpenResult = std::variant<double, std::int32_t>;

// The working folder a document is opened in, whatever folder holds it.
#ifdef _WIN32
inline constexpr const char* kShellWorkingFolder = "C:\\";
#else
inline constexpr const char* kShellWorkingFolder = "/";
#endif

// Opens path with the program associated with its type. On Windows a file
// whose own extension is ".exe" (in any letter case) is started as a
// program instead; on Linux nothing is ever started. A start that fails
// shows only in the result.
ShellOpenResult ShellOpen(std::string path, Shell& shell);

}  // namespace mokuji::os
