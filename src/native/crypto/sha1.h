#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace xls::crypto {

// Incremental SHA-1, the hash the CryptoAPI variant of RC4 derives its keys
// and verifier from.
class Sha1 {
  public:
    using Digest = std::array<std::uint8_t, 20>;

    Sha1();
    void update(std::span<const std::uint8_t> data);
    // Pads, finishes and returns the digest; the object is spent afterwards.
    Digest finish();

    static Digest of(std::span<const std::uint8_t> data);

  private:
    void compress(const std::uint8_t* block);

    std::array<std::uint32_t, 5> state_;
    std::array<std::uint8_t, 64> buffer_{};
    std::size_t buffered_ = 0;
    std::uint64_t totalBytes_ = 0;
};

}  // namespace xls::crypto
