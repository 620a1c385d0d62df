#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "run/name_filter.h"

namespace mokuji::window {

// The extensions of the workbooks a run gathers: every kind the engine
// reads unless the user narrows it, in the settings file or on the command
// line.
struct GatheringSettings {
    std::vector<std::string> extensions{"xls", "xlsx", "xlsm"};
    // Subfolders searched too; the folder alone by default.
    bool recursive = false;
    // Shell patterns of the workbooks to take only, and to leave out, on
    // their paths relative to the list's folder.
    std::vector<std::string> include = {};
    std::vector<std::string> exclude = {};
    // The list's format as asked for: true for 00_目次.xlsx, false for
    // 00_目次.xls, none to follow the list the folder holds.
    std::optional<bool> zipBasedList = {};
    // The patterns as the search applies them: letter case as the
    // platform's file names have it.
    run::NameFilter filter() const;

    // As the folder search takes them: "*.xls;*.xlsx".
    std::string pattern() const;
    // As the user writes them: "xls,xlsx,xlsm".
    std::string extensionList() const;
};

// "xls,xlsx,xlsm" (blanks, dots and letter case allowed: " .XLS, xlsx")
// into lower-case extensions without repeats; nullopt when an item is empty
// or holds anything but ASCII letters and digits.
std::optional<std::vector<std::string>> ParseExtensions(std::string_view text);

// The value of key in the text of a settings file: "key=value" lines, blanks
// around either side ignored, "#" and ";" lines and [section] headers
// skipped. The last line that sets it wins; nullopt when none does.
std::optional<std::string> SettingValue(std::string_view fileText, std::string_view key);
// Every value of a key that may be given on several lines, in file order.
std::vector<std::string> SettingValues(std::string_view fileText, std::string_view key);

// The option that sets the extensions for one run: "--extensions LIST" or
// "--extensions=LIST" (ParseArguments takes it off the command line).
inline constexpr std::string_view kExtensionsOption = "--extensions";
inline constexpr std::string_view kExtensionsSetting = "extensions";

struct ExtensionsOption {
    bool given = false;
    std::string value;
};

// The options and setting keys of the subfolder search and the patterns.
inline constexpr std::string_view kRecursiveOption = "--recursive";
inline constexpr std::string_view kNoRecursiveOption = "--no-recursive";
inline constexpr std::string_view kIncludeOption = "--include";
inline constexpr std::string_view kExcludeOption = "--exclude";
inline constexpr std::string_view kRecursiveSetting = "recursive";
inline constexpr std::string_view kIncludeSetting = "include";
inline constexpr std::string_view kExcludeSetting = "exclude";
// The list's format: "--list xls|xlsx" (or =FORMAT), "list=xls|xlsx".
inline constexpr std::string_view kListOption = "--list";
inline constexpr std::string_view kListSetting = "list";
// "xlsx" -> true, "xls" -> false, in any letter case; nullopt otherwise.
std::optional<bool> ListFormatValue(std::string_view text);

// What a command line says of the gathering. The extensions and the
// subfolder search it gives replace the settings file's; its patterns are
// added to the file's, so that a one-off --exclude keeps the standing ones.
struct GatheringOptions {
    ExtensionsOption extensions;
    std::optional<bool> recursive = {};
    std::vector<std::string> include = {};
    std::vector<std::string> exclude = {};
    std::optional<bool> zipBasedList = {};
};

// The settings of a run: the command-line options, else the settings file's
// "extensions" and "recursive", else the defaults; the "include" and
// "exclude" lines of the file and the options together. A value that cannot
// be read is named in *problem, in the program's words: the option's
// refuses the run (nullopt), the file's falls back to the default, as a file
// may be shared by programs of other versions.
std::optional<GatheringSettings> ResolveGatheringSettings(
    const GatheringOptions& options, const std::optional<std::string>& fileText,
    const std::string& filePath, std::string* problem);

}  // namespace mokuji::window
