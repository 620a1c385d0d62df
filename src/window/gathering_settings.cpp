#include "window/gathering_settings.h"

#include <algorithm>
#include <cstring>

#include "native/text/ascii.h"
#include "ui/text.h"

namespace mokuji::window {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

constexpr const char* kHowToWrite = "：拡張子はカンマで区切って指定してください（例：xls,xlsx）。";

// yes/no, true/false, on/off, 1/0 in any letter case.
std::optional<bool> switchValue(std::string_view text) {
    const std::string v = xls::text::lowerAscii(text);
    if (v == "yes" || v == "true" || v == "on" || v == "1") return true;
    if (v == "no" || v == "false" || v == "off" || v == "0") return false;
    return std::nullopt;
}

bool isAsciiAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

}  // namespace

std::string GatheringSettings::pattern() const {
    std::string out;
    for (const auto& e : extensions) out += (out.empty() ? "*." : ";*.") + e;
    return out;
}

std::string GatheringSettings::extensionList() const {
    std::string out;
    for (const auto& e : extensions) out += (out.empty() ? "" : ",") + e;
    return out;
}

std::optional<std::vector<std::string>> ParseExtensions(std::string_view text) {
    std::vector<std::string> out;
    while (true) {
        auto comma = text.find(',');
        std::string_view item = trimmed(text.substr(0, comma));
        if (!item.empty() && item.front() == '.') item.remove_prefix(1);
        if (item.empty()) return std::nullopt;
        if (!std::all_of(item.begin(), item.end(), isAsciiAlnum)) return std::nullopt;
        std::string lower = xls::text::lowerAscii(item);
        if (std::find(out.begin(), out.end(), lower) == out.end()) out.push_back(std::move(lower));
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    return out;
}

std::vector<std::string> SettingValues(std::string_view fileText, std::string_view key) {
    std::vector<std::string> values;
    // A byte order mark, as Windows' Notepad may write one.
    if (fileText.substr(0, 3) == "\xEF\xBB\xBF") fileText.remove_prefix(3);
    while (!fileText.empty()) {
        auto end = fileText.find('\n');
        std::string_view line = trimmed(fileText.substr(0, end));
        fileText = end == std::string_view::npos ? std::string_view{} : fileText.substr(end + 1);
        if (line.empty() || line.front() == '#' || line.front() == ';' || line.front() == '[')
            continue;
        auto equals = line.find('=');
        if (equals == std::string_view::npos || trimmed(line.substr(0, equals)) != key) continue;
        values.emplace_back(trimmed(line.substr(equals + 1)));
    }
    return values;
}

std::optional<std::string> SettingValue(std::string_view fileText, std::string_view key) {
    std::vector<std::string> values = SettingValues(fileText, key);
    if (values.empty()) return std::nullopt;
    return std::move(values.back());
}

std::optional<GatheringSettings> ResolveGatheringSettings(
    const GatheringOptions& options, const std::optional<std::string>& fileText,
    const std::string& filePath, std::string* problem) {
    GatheringSettings settings;
    const ExtensionsOption& option = options.extensions;
    if (option.given) {
        auto list = ParseExtensions(option.value);
        if (!list) {
            if (problem)
                *problem =
                    std::string(kExtensionsOption) + " " + option.value + ui::Text(kHowToWrite);
            return std::nullopt;
        }
        settings.extensions = std::move(*list);
    } else if (auto value = fileText ? SettingValue(*fileText, kExtensionsSetting) : std::nullopt) {
        if (auto list = ParseExtensions(*value)) {
            settings.extensions = std::move(*list);
        } else if (problem) {
            *problem = ui::Text("{1}：{2}={3}", {filePath, kExtensionsSetting, *value}) +
                       ui::Text(kHowToWrite) +
                       ui::Text("既定の {1} を集めます。", {settings.extensionList()});
        }
    }
    if (options.recursive) {
        settings.recursive = *options.recursive;
    } else if (auto value = fileText ? SettingValue(*fileText, kRecursiveSetting) : std::nullopt) {
        if (auto on = switchValue(*value)) {
            settings.recursive = *on;
        } else if (problem && problem->empty()) {
            *problem = ui::Text("{1}：{2}={3}", {filePath, kRecursiveSetting, *value}) +
                       ui::Text("：yes か no で指定してください。サブフォルダは探しません。");
        }
    }
    if (options.zipBasedList) {
        settings.zipBasedList = options.zipBasedList;
    } else if (auto value = fileText ? SettingValue(*fileText, kListSetting) : std::nullopt) {
        if (auto zipBased = ListFormatValue(*value)) {
            settings.zipBasedList = zipBased;
        } else if (problem && problem->empty()) {
            *problem = ui::Text("{1}：{2}={3}", {filePath, kListSetting, *value}) +
                       ui::Text(
                           "：xls か xlsx "
                           "で指定してください。フォルダにある目次ファイルの形式を使います。");
        }
    }
    if (fileText) {
        settings.include = SettingValues(*fileText, kIncludeSetting);
        settings.exclude = SettingValues(*fileText, kExcludeSetting);
    }
    settings.include.insert(settings.include.end(), options.include.begin(), options.include.end());
    settings.exclude.insert(settings.exclude.end(), options.exclude.begin(), options.exclude.end());
    return settings;
}

std::optional<bool> ListFormatValue(std::string_view text) {
    if (xls::text::equalsIgnoringAsciiCase(text, "xlsx")) return true;
    if (xls::text::equalsIgnoringAsciiCase(text, "xls")) return false;
    return std::nullopt;
}

run::NameFilter GatheringSettings::filter() const {
#ifdef _WIN32
    constexpr bool ignoreCase = true;
#else
    constexpr bool ignoreCase = false;
#endif
    return {include, exclude, ignoreCase};
}

}  // namespace mokuji::window
