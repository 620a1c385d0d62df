#pragma once

#include <string>
#include <string_view>

namespace xls::cfb {

inline constexpr std::size_t kMaxEntryNameLength = 31;  // UTF-16 units, without the NUL

// The stored form of a stream or storage name: 1 to 31 UTF-16 units of
// well-formed text, none of them NUL, '/', '\\', ':' or '!'. Throws
// CfbError naming the problem; `what` says where the name came from.
std::u16string checkedEntryName(std::string_view utf8, std::string_view what);

// The order that siblings are kept in: shorter names first, then unit by
// unit after upper-casing. Readers that search the tree rely on it.
int compareEntryNames(std::u16string_view a, std::u16string_view b);

// Upper case of one UTF-16 unit for name comparison. Covers the alphabets
// that have case inside the basic plane's commonly used blocks (Latin,
// Greek, Cyrillic, Armenian, full-width Latin); Japanese text has none.
char16_t upperForNameOrder(char16_t c);

}  // namespace xls::cfb
