#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

#include "native/crypto/file_pass.h"
#include "native/crypto/rc4.h"

namespace xls::crypto {

// The keys of the two RC4 variants. Both hash the password once, then
// derive a fresh RC4 key for every 1024-byte block of the stream from that
// hash and the block number, so any offset can be decrypted on its own.
class Rc4KeySchedule {
  public:
    // Rc4: MD5 over the password, then over 16 copies of its first five
    // bytes followed by the salt.
    static Rc4KeySchedule standard(std::u16string_view password,
                                   std::span<const std::uint8_t, 16> salt);
    // Rc4CryptoApi: SHA-1 over the salt followed by the password.
    static Rc4KeySchedule cryptoApi(std::u16string_view password,
                                    std::span<const std::uint8_t, 16> salt, std::uint32_t keyBits);
    // Either of the above, as the FILEPASS asks; throws CryptoError for the
    // XOR method, which has no such schedule.
    static Rc4KeySchedule forFilePass(const FilePass& fp, std::u16string_view password);

    std::vector<std::uint8_t> blockKey(std::uint32_t block) const;

  private:
    bool sha1_ = false;
    std::vector<std::uint8_t> base_;
    std::size_t keyBytes_ = 16;
};

// Decrypts the verifier and its hash from the FILEPASS with the key of
// block 0 and checks that the one hashes to the other.
bool verifyRc4Password(const FilePass& fp, const Rc4KeySchedule& keys);

// Decrypts bytes addressed by their offset in the stream, re-keying at
// every 1024-byte boundary. Calls with rising offsets reuse the running
// cipher; going back costs a re-key.
class Rc4StreamDecryptor {
  public:
    explicit Rc4StreamDecryptor(Rc4KeySchedule keys) : keys_(std::move(keys)) {}
    void decrypt(std::span<std::uint8_t> data, std::uint64_t streamOffset);

  private:
    Rc4KeySchedule keys_;
    std::optional<Rc4> cipher_;
    std::uint64_t block_ = 0;
    std::uint64_t position_ = 0;
};

}  // namespace xls::crypto
