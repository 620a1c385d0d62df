#pragma once

#include <cstdint>
#include <string>

namespace xls::text {

enum class HexCase { Upper, Lower };

// The value's hexadecimal digits, at least `width` of them with zeros in
// front and more when the value needs them, as printf's "%0*X" writes them.
std::string hexDigits(std::uint64_t value, int width = 1, HexCase letters = HexCase::Upper);

// "0x" and the digits: how messages name record ids, signatures and codes
// ("record 0x0809"), so that they can be looked up in a hex dump.
std::string hexNumber(std::uint64_t value, int width = 1);

// The value of one hexadecimal digit of either case; -1 for any other
// character.
int hexDigit(char c);

}  // namespace xls::text
