#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace xls::input {

struct ErrorLiteral {
    std::string_view text;  // canonical spelling
    std::int32_t code;      // as BIFF stores it in cells
};

// The error value an entry spells, in any letter case ("#n/a" is #N/A).
std::optional<ErrorLiteral> recogniseErrorLiteral(std::string_view entry);

}  // namespace xls::input
