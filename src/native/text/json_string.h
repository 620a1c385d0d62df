#pragma once

#include <string>
#include <string_view>

namespace xls::text {

// A JSON string literal, quotes included, appended to out. Control
// characters are escaped; other text passes through as UTF-8.
void appendJsonString(std::string& out, std::string_view text);
std::string jsonString(std::string_view text);

}  // namespace xls::text
