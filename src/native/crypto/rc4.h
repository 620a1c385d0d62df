#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace xls::crypto {

// The RC4 stream cipher. Encryption and decryption are the same operation.
class Rc4 {
  public:
    // Keys of 1 to 256 bytes; an empty key is treated as a single zero byte
    // so that no input can leave the state undefined.
    explicit Rc4(std::span<const std::uint8_t> key);

    // XORs the next key stream bytes into data, in place.
    void apply(std::span<std::uint8_t> data);
    // Advances the key stream without using it.
    void discard(std::size_t n);

  private:
    std::uint8_t next();

    std::array<std::uint8_t, 256> s_;
    std::uint8_t i_ = 0;
    std::uint8_t j_ = 0;
};

}  // namespace xls::crypto
