#include "util/path_names.h"

namespace mokuji::util {

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

std::string ExtensionOf(std::string_view path) {
    auto i = path.rfind('.');
    return i == std::string_view::npos ? std::string() : std::string(path.substr(i + 1));
}

}  // namespace mokuji::util
