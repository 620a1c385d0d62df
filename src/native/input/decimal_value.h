#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace xls::input {

// The number written by a run of decimal digits with the point after pointAt of them, times
// ten to the power exponent. The application keeps 15 significant digits of what is typed and
// sets the rest to zero (it truncates, so 1234567890123456789 becomes 1234567890123450000).
// Numbers beyond its largest, 9.99999999999999E+307, are nullopt; those too small to hold
// become 0.
std::optional<double> decimalValue(std::string_view digits, std::int64_t pointAt,
                                   std::int64_t exponent);

// Saturating decimal accumulation, so an exponent of ten thousand digits cannot overflow.
std::int64_t saturatingDecimal(std::string_view digits);

}  // namespace xls::input
