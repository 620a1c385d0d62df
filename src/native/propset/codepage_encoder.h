#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xls::propset {

// UTF-8 text as bytes of a Windows code page, the reverse of
// text::codepageToUtf8 (1200 gives UTF-16LE, 65001 UTF-8, an unknown code
// page is taken as 1252). nullopt when some character has no form there.
std::optional<std::string> utf8ToCodepage(std::string_view utf8, int codepage);

}  // namespace xls::propset
