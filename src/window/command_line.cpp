#include "window/command_line.h"

#include <algorithm>
#include <filesystem>

#include "os/path_names.h"
#include "window/startup_messages.h"

namespace mokuji::window {

using os::kPathSeparator;

namespace {

// A word of a command line: its text without quotes, and where it stood.
struct Word {
    std::string text;
    bool quoted = false;
    std::size_t begin = 0, end = 0;
};

std::vector<Word> wordsWithPlaces(const std::string& arguments) {
    std::vector<Word> words;
    std::size_t i = 0;
    while ((i = arguments.find_first_not_of(" \t", i)) != std::string::npos) {
        Word word;
        word.begin = i;
        if (arguments[i] == '"') {
            std::size_t close = arguments.find('"', i + 1);
            if (close == std::string::npos) close = arguments.size();
            word.text = arguments.substr(i + 1, close - i - 1);
            word.quoted = true;
            word.end = std::min(close + 1, arguments.size());
        } else {
            word.end = std::min(arguments.find_first_of(" \t", i), arguments.size());
            word.text = arguments.substr(i, word.end - i);
        }
        i = word.end;
        words.push_back(std::move(word));
    }
    return words;
}

// The value of "--include GLOB" or "--include=GLOB" (option being the
// name), taking the next word for the first; nothing for another option,
// and nothing, refused with the message `missing` makes, for one without
// its value.
template <typename Refuse, typename Missing>
std::optional<std::string> valueOption(const std::string& text, std::string_view option,
                                       const std::vector<Word>& words, std::size_t& i,
                                       const Refuse& refuse, const Missing& missing) {
    const std::string withValue = std::string(option) + "=";
    std::string value;
    if (text.starts_with(withValue)) {
        value = text.substr(withValue.size());
    } else if (text != option) {
        return std::nullopt;
    } else if (i + 1 < words.size()) {
        value = words[++i].text;
    }
    if (value.empty()) {
        refuse(missing(text));
        return std::nullopt;
    }
    return value;
}

bool isRowsOption(const std::string& text) {
    for (std::string_view option : {kCsvOption, kJsonLinesOption}) {
        if (text == option || text.starts_with(std::string(option) + "=")) return true;
    }
    return false;
}

// The options taken off the words; the indices of the words left for the
// path, in order.
std::vector<std::size_t> takeOptions(const std::vector<Word>& words, StartOptions& options) {
    std::vector<std::size_t> paths;
    bool optionsEnded = false;
    bool byteOrderMark = false;
    int rowsOptions = 0;
    const auto refuse = [&](std::string why) {
        // The first fault is the one to mend first.
        if (options.usageError.empty()) options.usageError = std::move(why);
    };
    const std::string extensionsIs = std::string(kExtensionsOption) + "=";
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& text = words[i].text;
        // A lone "-" is a name like any other; so is anything quoted on
        // Windows, where the quotes are the user's way to say so.
        if (optionsEnded || words[i].quoted || text.size() < 2 || text.front() != '-') {
            paths.push_back(i);
        } else if (text == "--") {
            optionsEnded = true;
        } else if (text == "-h" || text == "--help") {
            if (!options.request) options.request = InformationRequest::Usage;
        } else if (text == "-V" || text == "--version") {
            if (!options.request) options.request = InformationRequest::Version;
        } else if (text == "--verbose") {
            options.verbose = true;
        } else if (text == kExtensionsOption || text.starts_with(extensionsIs)) {
            std::optional<std::string> value;
            if (text != kExtensionsOption) {
                value = text.substr(extensionsIs.size());
            } else if (i + 1 < words.size()) {
                value = words[++i].text;
            } else {
                refuse(OptionWithoutValueMessage(text));
            }
            // Twice is more likely a slip than a wish for the last one.
            ExtensionsOption& extensions = options.gathering.extensions;
            if (value && extensions.given) refuse(RepeatedOptionMessage(text));
            if (value && !extensions.given) extensions = {true, *value};
        } else if (text == "-r" || text == kRecursiveOption) {
            options.gathering.recursive = true;
        } else if (text == kNoRecursiveOption) {
            options.gathering.recursive = false;
        } else if (auto pattern = valueOption(text, kIncludeOption, words, i, refuse,
                                              OptionWithoutValueMessage)) {
            options.gathering.include.push_back(std::move(*pattern));
        } else if (auto pattern = valueOption(text, kExcludeOption, words, i, refuse,
                                              OptionWithoutValueMessage)) {
            options.gathering.exclude.push_back(std::move(*pattern));
        } else if (auto format =
                       valueOption(text, kListOption, words, i, refuse, ListFormatMessage)) {
            options.gathering.zipBasedList = ListFormatValue(*format);
            if (!options.gathering.zipBasedList)
                refuse(ListFormatMessage(std::string(kListOption)));
        } else if (auto file =
                       valueOption(text, kCsvOption, words, i, refuse, [](const std::string&) {
                           return RowsFileMissingMessage(std::string(kCsvOption));
                       })) {
            ++rowsOptions;
            options.rows = RowsRequest{{list_file::RowFormat::Csv}, std::move(*file)};
        } else if (auto file = valueOption(
                       text, kJsonLinesOption, words, i, refuse, [](const std::string&) {
                           return RowsFileMissingMessage(std::string(kJsonLinesOption));
                       })) {
            ++rowsOptions;
            options.rows = RowsRequest{{list_file::RowFormat::JsonLines}, std::move(*file)};
        } else if (text == kByteOrderMarkOption) {
            byteOrderMark = true;
        } else if (isRowsOption(text)) {
            // Named already as an option without its file.
        } else if (text == kIncludeOption || text == kExcludeOption || text == kListOption ||
                   text.starts_with(std::string(kListOption) + "=") ||
                   text.starts_with(std::string(kIncludeOption) + "=") ||
                   text.starts_with(std::string(kExcludeOption) + "=")) {
            // Named already as an option without its value.
        } else {
            refuse(UnknownOptionMessage(text));
        }
    }
    // Two outputs asked for at once: which one was meant cannot be told.
    if (rowsOptions > 1) refuse(RowsOptionsTogetherMessage());
    if (byteOrderMark &&
        !(options.rows && options.rows->options.format == list_file::RowFormat::Csv))
        refuse(ByteOrderMarkWithoutCsvMessage());
    if (byteOrderMark && options.rows) options.rows->options.byteOrderMark = true;
    // Without a folder the window would open, and the rows go nowhere.
    if (options.rows && paths.empty()) refuse(RowsWithoutPathMessage());
    return paths;
}

}  // namespace

StartOptions ParseArguments(const std::vector<std::string>& args,
                            const std::function<bool(const std::string&)>& exists) {
    std::vector<Word> words;
    for (const std::string& a : args) words.push_back(Word{a, false, 0, 0});
    StartOptions options;
    const std::vector<std::size_t> paths = takeOptions(words, options);
    if (paths.empty()) return options;
    options.arguments = words[paths.back()].text;
    if (paths.size() == 1) return options;
    for (std::size_t i : paths) {
        if (!exists(words[i].text)) {
            options.arguments = words[i].text;
            break;
        }
    }
    return options;
}

StartOptions ParseCommandLine(const std::string& arguments) {
    const std::vector<Word> words = wordsWithPlaces(arguments);
    StartOptions options;
    const std::vector<std::size_t> paths = takeOptions(words, options);
    // Each run of neighbouring words as it was typed, blanks and quotes
    // kept, so that the path text reads as the whole line did without them.
    for (std::size_t k = 0; k < paths.size();) {
        std::size_t last = k;
        while (last + 1 < paths.size() && paths[last + 1] == paths[last] + 1) ++last;
        const Word& from = words[paths[k]];
        if (!options.arguments.empty()) options.arguments += ' ';
        options.arguments += arguments.substr(from.begin, words[paths[last]].end - from.begin);
        k = last + 1;
    }
    return options;
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
    for (Word& word : wordsWithPlaces(arguments)) words.push_back(std::move(word.text));
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

}  // namespace mokuji::window
