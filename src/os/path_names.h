#pragma once

#include <string>
#include <string_view>

namespace mokuji::os {

// The separator of folder and file names in the paths this program builds.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// These look at the text alone: no file system access, no normalisation, and
// only the one separator counts, so a path written with the other one has
// no folder part.

// Up to and including the last separator; "" when there is none.
std::string FolderOf(std::string_view path, char separator = kPathSeparator);
// After the last separator; "" when there is none or it ends the path.
std::string FileNameOf(std::string_view path, char separator = kPathSeparator);
// Where the last component begins: after the last '\\' or '/', as Windows
// takes either for a separator; 0 when there is neither.
std::size_t LastComponentStart(std::string_view path);
// The path with "/" between its folders whatever the platform's separator:
// how a path relative to the list's folder is shown, linked and matched,
// so that a list reads the same on every system.
std::string SlashSeparated(std::string_view path);

// After the last "."; "" when there is none or it ends the path. Folders are
// not looked at, so "C:\data.d\file" gives "d\file".
std::string ExtensionOf(std::string_view path);

// Whether the name's extension is one of the patterns ("*.xls;*.xlsx"),
// ignoring letter case; "*.*" passes every name.
bool HasListedExtension(const std::string& name, const std::string& extensions);

}  // namespace mokuji::os
