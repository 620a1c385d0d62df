#include "window/settings_file.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "os/path_names.h"
#include "ui/text.h"

#ifdef _WIN32
#include "os/win32/wide_text.h"
#endif

namespace mokuji::window {

namespace {

std::filesystem::path pathOf(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// A settings file is a few lines; anything larger is not one.
constexpr std::uintmax_t kMaxSettingsBytes = 64 * 1024;

}  // namespace

std::vector<std::string> SettingsFileCandidates(const std::string& programFolder) {
    std::vector<std::string> out;
#ifdef _WIN32
    out.push_back(programFolder + os::kPathSeparator + "mokuji.ini");
    if (const wchar_t* appData = _wgetenv(L"APPDATA"); appData && *appData)
        out.push_back(os::win::Utf8(appData) + "\\mokuji\\mokuji.ini");
#else
    (void)programFolder;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config == '/') {
        out.push_back(std::string(config) + "/mokuji/mokuji.conf");
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        out.push_back(std::string(home) + "/.config/mokuji/mokuji.conf");
    }
#endif
    return out;
}

std::optional<SettingsFile> ReadSettingsFile(const std::vector<std::string>& candidates,
                                             std::string* problem) {
    const auto refuse = [&](const std::string& path, const std::string& why) {
        if (problem)
            *problem =
                ui::Text("{1}：{2}ため、設定ファイルを読まずに既定の設定で集めます。", {path, why});
        return std::nullopt;
    };
    for (const auto& path : candidates) {
        std::error_code error;
        auto p = pathOf(path);
        if (!std::filesystem::is_regular_file(p, error)) continue;
        auto size = std::filesystem::file_size(p, error);
        if (error) continue;
        if (size > kMaxSettingsBytes) return refuse(path, ui::Text("64KiBを超えている"));
        std::ifstream in(p, std::ios::binary);
        if (!in) continue;
        std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        // Notepad's "Unicode" is UTF-16: its byte order mark, or, without
        // one, a zero byte in every other place, which no UTF-8 text holds.
        if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF") ||
            text.find('\0') != std::string::npos)
            return refuse(path, ui::Text("UTF-16で保存されている（UTF-8で保存し直してください）"));
        return SettingsFile{path, std::move(text)};
    }
    return std::nullopt;
}

std::optional<GatheringSettings> LoadGatheringSettings(const GatheringOptions& options,
                                                       const std::string& programFolder,
                                                       std::string* problem) {
    const std::optional<SettingsFile> file =
        ReadSettingsFile(SettingsFileCandidates(programFolder), problem);
    return ResolveGatheringSettings(options, file ? std::optional(file->text) : std::nullopt,
                                    file ? file->path : std::string(), problem);
}

}  // namespace mokuji::window
