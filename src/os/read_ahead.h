#pragma once

#include <string>

namespace mokuji::os {

// Tells the system that the file will be read whole soon, so that on a cold
// cache the disk fetches it while earlier files are parsed. A hint only:
// nothing is reported, and where the system has no such hint it does
// nothing.
void ExpectReadingSoon(const std::string& path);

// Whether the start of the file is in the system's cache already, as on a
// second run over the same folder, when asking ahead would only cost time;
// false where the system cannot tell.
bool StartIsCached(const std::string& path);

}  // namespace mokuji::os
