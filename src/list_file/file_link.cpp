#include "list_file/file_link.h"

#include "native/text/hex.h"
#include "native/text/unicode.h"

namespace mokuji::list_file {

namespace {

// What an address gives a meaning to: a scheme or drive (':'), a place in
// the file ('#'), an escape ('%'), shares and the other separator ('\'), a query
// ('?'), and what ends or splits an address in the application's reading
// of it (blanks and control characters). Letters beyond ASCII stay as they
// are; the application takes them as they stand.
bool needsEscape(unsigned char c) {
    if (c < 0x20 || c == 0x7F || c == ' ') return true;
    switch (c) {
        case '%':
        case '#':
        case ':':
        case '\\':
        case '?':
        case '"':
        case '<':
        case '>':
        case '|':
            return true;
        default:
            return false;
    }
}

}  // namespace

std::string FileLinkAddress(std::string_view fileName) {
    // Bytes that are no text (a Shift_JIS name unpacked from a zip made on
    // Windows) are escaped too: the address then names the file by its
    // bytes, still relative to the list.
    const bool bytes = !xls::text::isValidUtf8(fileName);
    std::string address;
    address.reserve(fileName.size());
    for (const char ch : fileName) {
        const auto c = static_cast<unsigned char>(ch);
        if (needsEscape(c) || (bytes && c >= 0x80)) {
            address += '%';
            address += xls::text::hexDigits(c, 2);
        } else {
            address += ch;
        }
    }
    return address;
}

}  // namespace mokuji::list_file
