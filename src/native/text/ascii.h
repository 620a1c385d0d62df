#pragma once

#include <string>
#include <string_view>

namespace mokuji::platform {

// Letter case as the file names of this program meet it: only the ASCII
// letters have case. Every other byte of UTF-8 text, Japanese included, is
// kept and compared as it is.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace mokuji::platform
