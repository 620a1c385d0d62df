#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace xls::crypto {

// The XOR obfuscation of the oldest protected files. It works on a password
// of at most 15 single-byte characters; a key and a verifier derived from
// it are stored in FILEPASS, and data bytes are XORed with a 16-byte array
// derived from the password and the key.

// The single bytes the method works on: each UTF-16 unit gives its low byte,
// or its high byte when the low one is zero. Nullopt for an empty password
// or one longer than 15 units, which the method cannot have produced.
std::optional<std::string> xorPasswordBytes(std::u16string_view password);

std::uint16_t xorKey(std::string_view passwordBytes);
std::uint16_t xorVerifier(std::string_view passwordBytes);
std::array<std::uint8_t, 16> xorArray(std::string_view passwordBytes);

// Reverses the obfuscation of data in place; the array position of the
// first byte is firstIndex modulo 16, and it advances by one per byte.
void xorDecrypt(const std::array<std::uint8_t, 16>& array, std::span<std::uint8_t> data,
                std::uint64_t firstIndex);

}  // namespace xls::crypto
