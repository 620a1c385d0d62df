#include "util/split_text.h"

namespace mokuji::util {

namespace {

void splitAt(std::string_view delimiter, std::string_view text, std::vector<std::string>& parts) {
    std::size_t start = 0;
    for (;;) {
        std::size_t p = text.find(delimiter, start);
        if (p == std::string_view::npos) break;
        parts.emplace_back(text.substr(start, p - start));
        start = p + delimiter.size();
    }
    parts.emplace_back(text.substr(start));
}

std::string_view trimSpaces(std::string_view s) {
    std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

void splitParagraphs(std::string_view text, std::vector<std::string>& parts) {
    constexpr std::string_view kCrLf = "\r\n";
    std::size_t start = 0;
    for (std::size_t p; (p = text.find(kCrLf, start)) != std::string_view::npos;
         start = p + kCrLf.size()) {
        std::string_view line = text.substr(start, p - start);
        if (trimSpaces(line).empty()) {
            // A run of blank lines separates once, and never before the first
            // paragraph has begun.
            if (parts.size() == 1 || !trimSpaces(parts.back()).empty()) parts.emplace_back();
        } else {
            if (parts.size() == 1) parts.emplace_back();
            parts.back().append(line).append(kCrLf);
        }
    }
    if (parts.size() == 1) parts.emplace_back();
    if (start < text.size()) parts.back().append(text.substr(start)).append(kCrLf);
}

void splitQuoted(std::string_view text, std::vector<std::string>& parts) {
    std::string piece;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == ',' || c == '\t') {
            if (quoted) {
                piece += c;
            } else {
                parts.push_back(std::move(piece));
                piece.clear();
            }
        } else if (c == '"') {
            if (!quoted) {
                quoted = true;
                piece.erase(0, piece.find_first_not_of(' '));
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                piece += '"';
                ++i;
            } else {
                quoted = false;
                while (i + 1 < text.size() && text[i + 1] == ' ') ++i;
            }
        } else if (static_cast<unsigned char>(c) >= '\t') {
            piece += c;
        }
    }
    parts.push_back(std::move(piece));
}

}  // namespace

void SplitText(std::int16_t mode, std::string_view text, std::vector<std::string>& parts) {
    parts.assign(1, std::string());
    switch (mode) {
        case kSplitLines:
            splitAt("\r\n", text, parts);
            break;
        case kSplitTabs:
            splitAt("\t", text, parts);
            break;
        case kSplitCommas:
            splitAt(",", text, parts);
            break;
        case kSplitQuotedCsv:
            splitQuoted(text, parts);
            break;
        default:
            splitParagraphs(text, parts);
            break;
    }
}

}  // namespace mokuji::util
