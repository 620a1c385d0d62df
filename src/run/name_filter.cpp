#include "run/name_filter.h"

#include <optional>

#include "native/text/ascii.h"

namespace mokuji::run {

namespace {

// One code point of UTF-8 at text[i], moving i past it. A byte that begins
// no sequence is a character of its own, so a name that is not UTF-8 still
// matches byte for byte.
char32_t nextChar(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const std::size_t extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || i + extra >= text.size()) {
        ++i;
        return lead;
    }
    char32_t cp = lead & (0x3F >> extra);
    for (std::size_t k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(text[i + k]);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return lead;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    i += extra + 1;
    return cp;
}

char32_t folded(char32_t c, bool ignoreCase) {
    return ignoreCase ? xls::text::asciiLower(c) : c;
}

// The set of "[...]" starting after its "[" at p; moves p past its "]".
// Without a closing "]" the "[" is an ordinary character: nullopt.
std::optional<bool> setMatches(std::string_view pattern, std::size_t& p, char32_t c,
                               bool ignoreCase) {
    std::size_t i = p;
    bool negate = false;
    if (i < pattern.size() && (pattern[i] == '!' || pattern[i] == '^')) {
        negate = true;
        ++i;
    }
    bool matched = false;
    bool first = true;
    c = folded(c, ignoreCase);
    while (i < pattern.size() && (first || pattern[i] != ']')) {
        first = false;
        char32_t low = folded(nextChar(pattern, i), ignoreCase);
        char32_t high = low;
        if (i + 1 < pattern.size() && pattern[i] == '-' && pattern[i + 1] != ']') {
            ++i;
            high = folded(nextChar(pattern, i), ignoreCase);
        }
        if (low <= c && c <= high) matched = true;
    }
    if (i >= pattern.size()) return std::nullopt;
    p = i + 1;
    return matched != negate;
}

bool matchFrom(std::string_view pattern, std::size_t p, std::string_view text, std::size_t t,
               bool ignoreCase) {
    while (p < pattern.size()) {
        if (pattern[p] == '*') {
            const bool any = p + 1 < pattern.size() && pattern[p + 1] == '*';
            while (p < pattern.size() && pattern[p] == '*') ++p;
            // Each place the rest could start, shortest run first.
            for (std::size_t k = t;;) {
                if (matchFrom(pattern, p, text, k, ignoreCase)) return true;
                if (k >= text.size() || (!any && text[k] == '/')) return false;
                nextChar(text, k);
            }
        }
        if (t >= text.size()) return false;
        const char32_t c = nextChar(text, t);
        if (pattern[p] == '?') {
            if (c == '/') return false;
            ++p;
            continue;
        }
        if (pattern[p] == '[') {
            std::size_t q = p + 1;
            if (auto in = setMatches(pattern, q, c, ignoreCase)) {
                if (!*in || c == '/') return false;
                p = q;
                continue;
            }
        }
        if (folded(nextChar(pattern, p), ignoreCase) != folded(c, ignoreCase)) return false;
    }
    return t == text.size();
}

bool matchesPathOrPart(const std::string& pattern, std::string_view path, bool ignoreCase) {
    if (pattern.find('/') != std::string::npos) return GlobMatches(pattern, path, ignoreCase);
    for (std::size_t begin = 0;;) {
        const std::size_t end = path.find('/', begin);
        if (GlobMatches(pattern, path.substr(begin, end - begin), ignoreCase)) return true;
        if (end == std::string_view::npos) return false;
        begin = end + 1;
    }
}

}  // namespace

bool GlobMatches(std::string_view pattern, std::string_view text, bool ignoreCase) {
    return matchFrom(pattern, 0, text, 0, ignoreCase);
}

bool NameFilter::keeps(std::string_view relativePath) const {
    const auto matchesAny = [&](const std::vector<std::string>& patterns) {
        for (const std::string& p : patterns) {
            if (matchesPathOrPart(p, relativePath, ignoreCase)) return true;
        }
        return false;
    };
    if (!include.empty() && !matchesAny(include)) return false;
    return !matchesAny(exclude);
}

}  // namespace mokuji::run
