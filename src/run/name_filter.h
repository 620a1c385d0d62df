#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mokuji::run {

// Whether text matches the shell pattern: "*" any run of characters but
// "/", "**" any run at all, "?" one character but "/", "[...]" one of a set
// ("[a-c]", "[!0-9]" or "[^0-9]" for none of them; "]" first stands for
// itself). Characters are UTF-8 code points; with ignoreCase the ASCII
// letters match either case, as names on Windows do.
bool GlobMatches(std::string_view pattern, std::string_view text, bool ignoreCase);

// The workbooks a user keeps out of a run, or the only ones to take, by
// their paths relative to the list's folder with "/" between folders. A
// pattern without "/" is tried on every part of the path, so that
// "下書き*" leaves out a file and a folder of that name alike; one with "/"
// is tried on the whole path.
struct NameFilter {
    std::vector<std::string> include;  // when any is given, only what matches one
    std::vector<std::string> exclude;
    bool ignoreCase = false;

    bool keeps(std::string_view relativePath) const;
};

}  // namespace mokuji::run
