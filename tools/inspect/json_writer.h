#pragma once

#include <string>
#include <string_view>

namespace mokuji::inspect {

// A JSON string literal, quotes included. Control characters are escaped;
// other text passes through as UTF-8.
std::string jsonString(std::string_view text);

}  // namespace mokuji::inspect
