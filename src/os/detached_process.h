#pragma once

#include <string>
#include <vector>

namespace mokuji::os {

// How starting a detached program ended.
struct DetachedStart {
    // The started program's process id; 0 when it did not start.
    long pid = 0;
    // The errno of the failed fork or exec; 0 when it started.
    int error = 0;
};

// Starts argv[0] with argv in a session of its own, in workingFolder, and
// returns once it runs or could not start. The program is not our child:
// nothing waits for it and it leaves no zombie behind. With searchPath the
// program name is looked up in PATH; without it argv[0] is the file run, and
// a file that is no program is never handed to the shell instead.
// The program gets our environment, with the NAME=value entries of
// environment added or put in place of ours.
DetachedStart StartDetached(const std::vector<std::string>& argv, const std::string& workingFolder,
                            bool searchPath, const std::vector<std::string>& environment = {});

}  // namespace mokuji::os
