#pragma once

// Every text the program shows goes through here: Japanese as it is written
// in the sources, or its English from po/en.po when the user's language is
// English. What the list holds (its file and sheet names, headers, property
// names, the rows written for other programs) is data and never passes
// here.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "ui/english_catalogue.h"

namespace mokuji::ui {

enum class Language { Japanese, English };

// Reached only by a Key made of a text po/en.po has no entry for: not
// constexpr, so the build stops there and names the text.
void NoEnglishEntryFor(std::string_view japanese);

// A text of the catalogue, found while compiling: a text without an English
// entry does not build.
class Key {
  public:
    consteval Key(const char* japanese) : index_(find(japanese)) {}
    consteval Key(std::string_view japanese) : index_(find(japanese)) {}
    const Entry& entry() const { return kCatalogue[index_]; }

  private:
    static consteval std::size_t find(std::string_view japanese) {
        for (std::size_t i = 0; i < kCatalogue.size(); ++i)
            if (std::string_view(kCatalogue[i].japanese) == japanese) return i;
        NoEnglishEntryFor(japanese);
        return 0;
    }
    std::size_t index_;
};

// Decided once at start; Japanese until then.
void UseLanguage(Language language);
Language CurrentLanguage();

// The text in the language in use, NUL-terminated and lasting as long as
// the program.
const char* Text(Key key);
// With its numbered places ({1}, {2}...) filled by values, in order.
std::string Text(Key key, std::initializer_list<std::string_view> values);

// The user's language as the system names it: on Windows the language of
// its user interface; elsewhere the locale of messages, as gettext reads
// it (below).
Language SystemLanguage();
// As gettext chooses a catalogue: the locale of messages is the first set
// of LC_ALL, LC_MESSAGES and LANG; under C or POSIX (or none) the texts stay
// Japanese. Otherwise LANGUAGE, a list of languages by preference, decides
// when it is set (its first English or Japanese, Japanese when it names
// neither), and else the locale: English when it names English. getenv
// reads one variable, nullptr when it is not set.
Language LanguageOfEnvironment(const char* (*getenv)(const char*));

}  // namespace mokuji::ui
