#include "app/command_line.h"

#include <algorithm>
#include <filesystem>

#include "util/path_names.h"

namespace mokuji::app {

using util::kPathSeparator;

std::string JoinArguments(int argc, const char* const* argv) {
    std::string joined;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) joined += ' ';
        joined += argv[i];
    }
    return joined;
}

std::string ArgumentsOfStart(int argc, const char* const* argv) {
    std::string joined = JoinArguments(argc, argv);
    if (argc <= 2) return joined;
    std::error_code error;
    if (std::filesystem::exists(joined, error)) return joined;
    for (int i = 1; i < argc; ++i) {
        if (!std::filesystem::exists(argv[i], error)) return joined;
    }
    return argv[argc - 1];
}

std::string ArgumentsAfterProgramName(const std::string& commandLine) {
    std::size_t i = 0;
    if (!commandLine.empty() && commandLine.front() == '"') {
        const std::size_t close = commandLine.find('"', 1);
        i = close == std::string::npos ? commandLine.size() : close + 1;
    } else {
        i = commandLine.find_first_of(" \t");
        if (i == std::string::npos) i = commandLine.size();
    }
    i = commandLine.find_first_not_of(" \t", i);
    return i == std::string::npos ? std::string() : commandLine.substr(i);
}

std::vector<std::string> WordsOf(const std::string& arguments) {
    std::vector<std::string> words;
    std::size_t i = 0;
    while ((i = arguments.find_first_not_of(" \t", i)) != std::string::npos) {
        std::size_t end = 0;
        if (arguments[i] == '"') {
            end = arguments.find('"', i + 1);
            if (end == std::string::npos) end = arguments.size();
            words.push_back(arguments.substr(i + 1, end - i - 1));
            ++end;
        } else {
            end = std::min(arguments.find_first_of(" \t", i), arguments.size());
            words.push_back(arguments.substr(i, end - i));
        }
        i = end;
    }
    return words;
}

std::optional<std::string> Unquoted(const std::string& argument) {
    if (argument.empty() || argument.front() != '"') return argument;
    if (argument.size() < 2) return std::nullopt;
    // The quote is ASCII, but the last character may be a multi-byte one:
    // drop all of its bytes, not only the final one.
    std::size_t last = argument.size() - 1;
    while (last > 1 && (static_cast<unsigned char>(argument[last]) & 0xC0) == 0x80) --last;
    return argument.substr(1, last - 1);
}

std::string ResolvedArgument(const std::string& argument, const std::string& programFolder,
                             const std::string& currentFolder) {
#ifdef _WIN32
    (void)currentFolder;
    if (argument.find(kPathSeparator) != std::string::npos) return argument;
    return programFolder + kPathSeparator + argument;
#else
    (void)programFolder;
    if (argument.starts_with(kPathSeparator)) return argument;
    // Made absolute and clean, so that messages and the list name the
    // folder itself rather than "./" or "sub/..". The current folder is
    // the physical one, so ".." is what the file system would follow.
    return (std::filesystem::path(currentFolder) / argument).lexically_normal().string();
#endif
}

std::string WorkingPathFor(const std::string& path, bool isFolder) {
    // A folder given with its separator already has the right folder part;
    // doubling it would only make every derived path odd.
    if (!isFolder || (!path.empty() && path.back() == kPathSeparator)) return path;
    return path + kPathSeparator;
}

}  // namespace mokuji::app
