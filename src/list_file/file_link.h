#pragma once

#include <string>
#include <string_view>

namespace mokuji::list_file {

// The link address of a file in the list's own folder or below it, given by
// its path relative to the list's folder with "/" between folders (which no
// file name holds), for Hyperlinks.Add.
// The application reads an address as a URL, so a name such as
// "\\host\share\x.xls", "mailto:a.xls" or "a#b.xls" would link to a share, a
// mail or a place in another file; escaped, every path is one relative file.
// A name that is not UTF-8 has its bytes escaped as well.
std::string FileLinkAddress(std::string_view fileName);

}  // namespace mokuji::list_file
