#pragma once

#include <string>
#include <string_view>

namespace xls::zip {

// Writers on Windows store names with '\'; part names in relationships use
// '/', and the letter case of the two is not always the same. A part name
// never holds '\', so reading it as '/' in the name looked for as well
// costs nothing and lets every entry be found by its own name.
//
// The name as entries are looked up by, and told apart when written.
std::string nameKey(std::string_view name);

}  // namespace xls::zip
