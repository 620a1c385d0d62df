#pragma once

#include <string>

#include "os/file_system.h"
#include "os/shell.h"

namespace mokuji::window {

// Opens the list file listFileName of the working folder of g_mokuji_path with the
// program the desktop associates with it. A list file that is missing or
// hidden is not opened, and an opener that fails is not reported: the run
// is over and has said what it had to.
void sub_mokuji_open(const std::string& g_mokuji_path, const std::string& listFileName,
                     os::FileSystem& fs, os::Shell& shell);

}  // namespace mokuji::window
