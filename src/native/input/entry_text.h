#pragma once

#include <string>
#include <string_view>

namespace xls::input {

// The text with every malformed UTF-8 sequence replaced by U+FFFD, so whatever we store or
// compare is well-formed.
std::string wellFormedUtf8(std::string_view text);

// The text as the number and date readers see it: the application reads full-width digits,
// signs and letters as their ASCII forms (an IME often types "１２３"), the ideographic space
// as a blank, and both yen signs as '\', the yen sign of the Japanese code page.
std::string foldForRecognition(std::string_view text);

// Without leading and trailing ASCII blanks.
std::string_view trimBlanks(std::string_view text);

}  // namespace xls::input
