#pragma once

#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace xls::formula::test {

using Bytes = std::vector<std::uint8_t>;

// Little-endian token assembly, so the cases read like the token layouts.
struct Tokens {
    Bytes bytes;
    Tokens& u8(std::uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    Tokens& u16(std::uint16_t v) { return u8(v & 0xFF).u8(v >> 8); }
    Tokens& u32(std::uint32_t v) { return u16(v & 0xFFFF).u16(v >> 16); }
    Tokens& ref3d(std::uint16_t ixti, std::uint16_t row, std::uint16_t col) {
        return u8(0x3A).u16(ixti).u16(row).u16(col);
    }
    Tokens& area3d(std::uint16_t ixti, std::uint16_t r1, std::uint16_t r2, std::uint16_t c1,
                   std::uint16_t c2) {
        return u8(0x3B).u16(ixti).u16(r1).u16(r2).u16(c1).u16(c2);
    }
    Tokens& name(std::uint32_t index) { return u8(0x23).u32(index); }
    Tokens& nameX(std::uint16_t ixti, std::uint16_t index) {
        return u8(0x39).u16(ixti).u16(index).u16(0);
    }
    Tokens& isect() { return u8(0x0F); }
    Tokens& unite() { return u8(0x10); }
    Tokens& range() { return u8(0x11); }
    Tokens& paren() { return u8(0x15); }
    Tokens& memFunc(const Tokens& inner) {
        u8(0x29).u16(static_cast<std::uint16_t>(inner.bytes.size()));
        bytes.insert(bytes.end(), inner.bytes.begin(), inner.bytes.end());
        return *this;
    }
};

// Bytes as a hex dump prints them ("290d00..."), for formulas copied from files.
inline Bytes unhex(std::string_view text) {
    auto nibble = [](char c) -> std::uint8_t {
        if (c >= '0' && c <= '9') return static_cast<std::uint8_t>(c - '0');
        if (c >= 'a' && c <= 'f') return static_cast<std::uint8_t>(c - 'a' + 10);
        throw std::invalid_argument("not a hex digit");
    };
    if (text.size() % 2 != 0) throw std::invalid_argument("odd number of hex digits");
    Bytes b;
    for (std::size_t i = 0; i < text.size(); i += 2)
        b.push_back(static_cast<std::uint8_t>(nibble(text[i]) << 4 | nibble(text[i + 1])));
    return b;
}

}  // namespace xls::formula::test
