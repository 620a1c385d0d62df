#include "native/input/decimal_value.h"

#include <charconv>
#include <cstddef>
#include <string>
#include <system_error>

namespace xls::input {

namespace {

constexpr std::size_t kSignificantDigits = 15;
constexpr double kLargestTyped = 9.99999999999999e307;
// Far beyond any double's exponent, small enough that sums of a few never overflow.
constexpr std::int64_t kExponentCap = 1'000'000;

}  // namespace

std::int64_t saturatingDecimal(std::string_view digits) {
    std::int64_t n = 0;
    for (char c : digits) {
        n = n * 10 + (c - '0');
        if (n > kExponentCap) return kExponentCap;
    }
    return n;
}

std::optional<double> decimalValue(std::string_view digits, std::int64_t pointAt,
                                   std::int64_t exponent) {
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string_view::npos) return 0.0;
    const std::string_view significant = digits.substr(first, kSignificantDigits);
    const std::int64_t leadExponent = pointAt - static_cast<std::int64_t>(first) - 1 + exponent;
    if (leadExponent > 400) return std::nullopt;
    if (leadExponent < -400) return 0.0;

    std::string scientific(significant.substr(0, 1));
    scientific += '.';
    scientific += significant.substr(1);
    scientific += 'e';
    scientific += std::to_string(leadExponent);
    double value = 0;
    const auto [end, ec] =
        std::from_chars(scientific.data(), scientific.data() + scientific.size(), value);
    if (ec == std::errc::result_out_of_range) {
        if (leadExponent < 0) return 0.0;
        return std::nullopt;
    }
    if (ec != std::errc() || end != scientific.data() + scientific.size()) return std::nullopt;
    if (value > kLargestTyped) return std::nullopt;
    return value;
}

}  // namespace xls::input
