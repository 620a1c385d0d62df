#include "ui/text.h"

#include <atomic>
#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#endif

namespace mokuji::ui {

namespace {

std::atomic<Language> inUse{Language::Japanese};

// "en_US.UTF-8", "en@quot", "en" name English; "C.UTF-8" is the C locale.
std::string_view LanguagePart(std::string_view locale) {
    return locale.substr(0, locale.find_first_of("_.@"));
}

}  // namespace

void NoEnglishEntryFor(std::string_view) {}

void UseLanguage(Language language) {
    inUse = language;
}

Language CurrentLanguage() {
    return inUse;
}

const char* Text(Key key) {
    return inUse == Language::English ? key.entry().english : key.entry().japanese;
}

std::string Text(Key key, std::initializer_list<std::string_view> values) {
    const std::string_view text = Text(key);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t n = i + 2 < text.size() && text[i] == '{' && text[i + 2] == '}'
                                  ? static_cast<std::size_t>(text[i + 1] - '1')
                                  : values.size();
        if (n < values.size()) {
            out += values.begin()[n];
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

Language LanguageOfEnvironment(const char* (*getenv)(const char*)) {
    auto variable = [&](const char* name) {
        const char* value = getenv(name);
        return std::string_view(value ? value : "");
    };
    std::string_view messages;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (messages = variable(name); !messages.empty()) break;
    const std::string_view language = LanguagePart(messages);
    if (language.empty() || language == "C" || language == "POSIX") return Language::Japanese;
    // The first of the list with a catalogue decides: Japanese is the
    // program's own language, English has one, any other has none. As with
    // gettext, a list naming neither leaves the texts as written.
    std::string_view preferred = variable("LANGUAGE");
    if (preferred.empty()) return language == "en" ? Language::English : Language::Japanese;
    while (!preferred.empty()) {
        const std::size_t colon = preferred.find(':');
        const std::string_view one = LanguagePart(preferred.substr(0, colon));
        if (one == "en") return Language::English;
        if (one == "ja") return Language::Japanese;
        preferred = colon == std::string_view::npos ? "" : preferred.substr(colon + 1);
    }
    return Language::Japanese;
}

Language SystemLanguage() {
#ifdef _WIN32
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH ? Language::English
                                                                     : Language::Japanese;
#else
    return LanguageOfEnvironment([](const char* name) -> const char* { return std::getenv(name); });
#endif
}

}  // namespace mokuji::ui
