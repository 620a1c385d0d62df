#pragma once

#include <string>
#include <string_view>

namespace xls::text {

// "%20" and the like decoded into their bytes, as in the addresses of
// hyperlinks and package parts; a '%' that starts no escape stands for
// itself.
std::string percentDecoded(std::string_view text);

}  // namespace xls::text
