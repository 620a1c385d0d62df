#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mokuji::window {

// The extensions of the workbooks a run gathers: every kind the engine
// reads unless the user narrows it, in the settings file or on the command
// line.
struct GatheringSettings {
    std::vector<std::string> extensions{"xls", "xlsx", "xlsm"};

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

// The option that sets the extensions for one run: "--extensions LIST" or
// "--extensions=LIST" (ParseArguments takes it off the command line).
inline constexpr std::string_view kExtensionsOption = "--extensions";
inline constexpr std::string_view kExtensionsSetting = "extensions";

struct ExtensionsOption {
    bool given = false;
    std::string value;
};

// The settings of a run: the command-line option, else the settings file's
// "extensions", else the default. A value that cannot be read is named in
// *problem, in the program's words: the option's refuses the run (nullopt),
// the file's falls back to the default, as a file may be shared by
// programs of other versions.
std::optional<GatheringSettings> ResolveGatheringSettings(
    const ExtensionsOption& option, const std::optional<std::string>& fileText,
    const std::string& filePath, std::string* problem);

}  // namespace mokuji::window
