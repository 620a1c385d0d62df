#include "native/xlsx_writer/xml_out.h"

#include <charconv>

#include "native/text/hex.h"

namespace xls::xlsx_writer {

namespace {

bool startsEscape(std::string_view text, std::size_t i) {
    if (i + 7 > text.size() || text[i] != '_' || text[i + 1] != 'x' || text[i + 6] != '_')
        return false;
    for (std::size_t k = i + 2; k < i + 6; ++k) {
        const char c = text[k];
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

void append(std::string& out, std::string_view text, bool attribute) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        switch (c) {
            case '&':
                out += "&amp;";
                continue;
            case '<':
                out += "&lt;";
                continue;
            case '>':
                out += "&gt;";
                continue;
            case '"':
                if (attribute) {
                    out += "&quot;";
                    continue;
                }
                break;
            case '\t':
            case '\n':
                // An attribute's line ends and tabs would become blanks; a
                // reader keeps them in text.
                if (attribute) {
                    out += "&#" + std::to_string(c) + ";";
                } else {
                    out += static_cast<char>(c);
                }
                continue;
            default:
                break;
        }
        // A carriage return would be read as a line feed, as XML reads it.
        if (c < 0x20 || c == 0x7F) {
            out += "_x" + text::hexDigits(c, 4) + "_";
        } else if (c == '_' && startsEscape(text, i)) {
            out += "_x005F_";
        } else {
            out += static_cast<char>(c);
        }
    }
}

}  // namespace

void appendText(std::string& out, std::string_view text) {
    append(out, text, false);
}

void appendAttribute(std::string& out, std::string_view text) {
    append(out, text, true);
}

void appendCellReference(std::string& out, std::uint32_t row, std::uint32_t col) {
    char letters[8];
    std::size_t n = 0;
    for (std::uint32_t c = col + 1; c > 0 && n < sizeof letters; c = (c - 1) / 26)
        letters[n++] = static_cast<char>('A' + (c - 1) % 26);
    while (n > 0) out += letters[--n];
    char digits[12];
    const auto end = std::to_chars(digits, digits + sizeof digits, row + 1).ptr;
    out.append(digits, end);
}

std::string cellReference(std::uint32_t row, std::uint32_t col) {
    std::string out;
    appendCellReference(out, row, col);
    return out;
}

std::string numberText(double value) {
    char buffer[32];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    if (error != std::errc()) return "0";
    return std::string(buffer, end);
}

}  // namespace xls::xlsx_writer
