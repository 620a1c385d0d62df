#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xls::input {

// A number the entry spells, and the format the application gives the cell for it.
struct RecognisedNumber {
    double value = 0;
    std::string numberFormat;
};

// Reads a folded, trimmed entry as a number: "12", "-1.5", "+3", "(5)", "1,234", "1E5",
// "50%", "¥1,000" (folded to "\1,000"). nullopt when the entry is no number.
std::optional<RecognisedNumber> recogniseNumber(std::string_view entry);

}  // namespace xls::input
