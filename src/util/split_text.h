#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mokuji::util {

// Modes of SplitText.
inline constexpr std::int16_t kSplitLines = 0;       // at each CR LF
inline constexpr std::int16_t kSplitParagraphs = 1;  // also every mode outside 0 to 4
inline constexpr std::int16_t kSplitTabs = 2;
inline constexpr std::int16_t kSplitQuotedCsv = 3;  // "," and tab separate; double quotes quote
inline constexpr std::int16_t kSplitCommas = 4;

// Cuts text into parts[1..m] (m >= 1); parts[0] is always empty, so piece j
// of the text is parts[j], as the row texts number their fields. Whatever
// parts held before is discarded.
//
// Lines, tabs and commas: k delimiters give k + 1 pieces, empty ones kept.
// Paragraphs: runs of blank lines (spaces only) separate them; each line
// kept ends in CR LF, leading blank lines start no paragraph and a blank line
// at the end leaves an empty last one.
// Quoted: quotes keep "," and tabs inside a piece, "" inside quotes is one
// quote, spaces before an opening and after a closing quote go, and control
// characters below the tab are dropped.
void SplitText(std::int16_t mode, std::string_view text, std::vector<std::string>& parts);

}  // namespace mokuji::util
