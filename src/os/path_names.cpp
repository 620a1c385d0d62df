#include "os/path_names.h"

#include "native/text/ascii.h"

namespace mokuji::os {

// The separators are ASCII and never occur inside a UTF-8 multi-byte
// sequence, so scanning bytes from the end finds the same position as
// scanning characters would.

std::string FolderOf(std::string_view path, char separator) {
    auto i = path.rfind(separator);
    return i == std::string_view::npos ? std::string() : std::string(path.substr(0, i + 1));
}

std::string FileNameOf(std::string_view path, char separator) {
    auto i = path.rfind(separator);
    return i == std::string_view::npos ? std::string() : std::string(path.substr(i + 1));
}

std::size_t LastComponentStart(std::string_view path) {
    const std::size_t i = path.find_last_of("\\/");
    return i == std::string_view::npos ? 0 : i + 1;
}

std::string ExtensionOf(std::string_view path) {
    auto i = path.rfind('.');
    return i == std::string_view::npos ? std::string() : std::string(path.substr(i + 1));
}

bool HasListedExtension(const std::string& name, const std::string& extensions) {
    if (extensions == "*.*" || extensions == "*.*;") return true;
    // Called for every entry of every folder: the list is searched as it
    // is, an entry ending at a ';' or at the end of the list.
    const std::string probe = "." + xls::text::lowerAscii(ExtensionOf(name));
    for (auto at = extensions.find(probe); at != std::string::npos;
         at = extensions.find(probe, at + 1)) {
        const std::size_t after = at + probe.size();
        if (after == extensions.size() || extensions[after] == ';') return true;
    }
    return false;
}

std::string SlashSeparated(std::string_view path) {
    std::string slashed(path);
    if constexpr (kPathSeparator != '/') {
        for (char& c : slashed) {
            if (c == kPathSeparator) c = '/';
        }
    }
    return slashed;
}

}  // namespace mokuji::os
