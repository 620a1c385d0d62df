#pragma once

#include <optional>
#include <string>
#include <vector>

#include "window/gathering_settings.h"

namespace mokuji::window {

// Where the user's settings file may be, in the order looked at. Linux:
// $XDG_CONFIG_HOME/mokuji/mokuji.conf (~/.config when that is not set).
// Windows: mokuji.ini beside the program (a copy carried on a stick keeps
// its settings), then %APPDATA%\mokuji\mokuji.ini.
std::vector<std::string> SettingsFileCandidates(const std::string& programFolder);

struct SettingsFile {
    std::string path;
    std::string text;
};

// The first candidate that is a file; nullopt when there is none, or when
// it is not a settings file (over 64 KiB, or UTF-16 as some editors save):
// that is named in *problem, in the program's words, and no other
// candidate stands in for it.
std::optional<SettingsFile> ReadSettingsFile(const std::vector<std::string>& candidates,
                                             std::string* problem = nullptr);

// The gathering settings of a start: the option, else the user's settings
// file, as ResolveGatheringSettings weighs them; *problem as it says.
std::optional<GatheringSettings> LoadGatheringSettings(const GatheringOptions& options,
                                                       const std::string& programFolder,
                                                       std::string* problem);

}  // namespace mokuji::window
