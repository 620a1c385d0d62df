#include "dialogs/filter_conversion.h"

#include <cstdint>
#include <limits>

#include "dialogs/dialog_error.h"
#include "native/text/unicode.h"

namespace mokuji::dialogs {

std::string convertFilter(std::string_view barSeparated) {
    if (xls::text::utf16Length(barSeparated) > std::numeric_limits<std::int16_t>::max()) {
        throw DialogError(DialogError::Kind::Overflow, "filter longer than 32767 characters");
    }
    std::string out(barSeparated);
    for (char& c : out) {
        if (c == '|') c = '\0';
    }
    if (out.empty() || out.back() != '\0') out += '\0';
    return out;
}

std::vector<std::pair<std::string, std::string>> filterPairs(std::string_view nulSeparated) {
    std::vector<std::string> texts;
    std::size_t start = 0;
    while (start < nulSeparated.size()) {
        std::size_t end = nulSeparated.find('\0', start);
        if (end == std::string_view::npos) end = nulSeparated.size();
        if (end == start) break;
        texts.emplace_back(nulSeparated.substr(start, end - start));
        start = end + 1;
    }
    std::vector<std::pair<std::string, std::string>> pairs;
    for (std::size_t i = 0; i + 1 < texts.size(); i += 2)
        pairs.emplace_back(texts[i], texts[i + 1]);
    return pairs;
}

}  // namespace mokuji::dialogs
