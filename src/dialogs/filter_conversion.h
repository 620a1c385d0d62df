#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mokuji::dialogs {

// The caller's "description|pattern|..." text in the platform's form: each
// bar a NUL, closed by one NUL unless it already ends in one. Raises an
// overflow error for a text beyond 32,767 UTF-16 units, as the 16-bit count
// it is measured with cannot hold it.
std::string convertFilter(std::string_view barSeparated);

// The description and pattern pairs the platform reads from the NUL form:
// the list ends at the first empty text, and a description without its
// pattern is no pair.
std::vector<std::pair<std::string, std::string>> filterPairs(std::string_view nulSeparated);

}  // namespace mokuji::dialogs
