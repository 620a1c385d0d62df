#include "native/text/hex.h"

namespace xls::text {

std::string hexDigits(std::uint64_t value, int width, HexCase letters) {
    const char* digits = letters == HexCase::Upper ? "0123456789ABCDEF" : "0123456789abcdef";
    char buffer[16];
    int n = 0;
    do {
        buffer[n++] = digits[value & 0xF];
        value >>= 4;
    } while (value != 0);
    std::string out(width > n ? static_cast<std::size_t>(width - n) : 0, '0');
    while (n > 0) out += buffer[--n];
    return out;
}

std::string hexNumber(std::uint64_t value, int width) {
    return "0x" + hexDigits(value, width);
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace xls::text
