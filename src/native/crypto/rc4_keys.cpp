#include "native/crypto/rc4_keys.h"

#include <algorithm>

#include "native/crypto/crypto_error.h"
#include "native/crypto/md5.h"
#include "native/crypto/sha1.h"

namespace xls::crypto {

namespace {

constexpr std::uint64_t kBlockSize = 1024;

std::vector<std::uint8_t> utf16leBytes(std::u16string_view text) {
    std::vector<std::uint8_t> out;
    out.reserve(text.size() * 2);
    for (char16_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    return out;
}

std::array<std::uint8_t, 4> le32Bytes(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

}  // namespace

Rc4KeySchedule Rc4KeySchedule::standard(std::u16string_view password,
                                        std::span<const std::uint8_t, 16> salt) {
    const Md5::Digest passwordHash = Md5::of(utf16leBytes(password));
    Md5 md5;
    for (int k = 0; k < 16; ++k) {
        md5.update(std::span(passwordHash).first(5));
        md5.update(salt);
    }
    const Md5::Digest mixed = md5.finish();
    Rc4KeySchedule keys;
    // Only 40 bits of the hash survive: the method was designed for export
    // limits, and the block keys are hashed up to 128 bits again.
    keys.base_.assign(mixed.begin(), mixed.begin() + 5);
    keys.keyBytes_ = 16;
    return keys;
}

Rc4KeySchedule Rc4KeySchedule::cryptoApi(std::u16string_view password,
                                         std::span<const std::uint8_t, 16> salt,
                                         std::uint32_t keyBits) {
    Sha1 sha1;
    sha1.update(salt);
    sha1.update(utf16leBytes(password));
    const Sha1::Digest hash = sha1.finish();
    Rc4KeySchedule keys;
    keys.sha1_ = true;
    keys.base_.assign(hash.begin(), hash.end());
    keys.keyBytes_ = keyBits / 8;
    return keys;
}

Rc4KeySchedule Rc4KeySchedule::forFilePass(const FilePass& fp, std::u16string_view password) {
    switch (fp.method) {
        case Method::Rc4:
            return standard(password, fp.salt);
        case Method::Rc4CryptoApi:
            return cryptoApi(password, fp.salt, fp.effectiveKeyBits());
        case Method::XorObfuscation:
            break;
    }
    throw CryptoError("the XOR method has no RC4 key schedule");
}

std::vector<std::uint8_t> Rc4KeySchedule::blockKey(std::uint32_t block) const {
    const auto blockBytes = le32Bytes(block);
    if (!sha1_) {
        Md5 md5;
        md5.update(base_);
        md5.update(blockBytes);
        const Md5::Digest digest = md5.finish();
        return {digest.begin(), digest.end()};
    }
    Sha1 sha1;
    sha1.update(base_);
    sha1.update(blockBytes);
    const Sha1::Digest digest = sha1.finish();
    std::vector<std::uint8_t> key(digest.begin(), digest.begin() + keyBytes_);
    // A 40-bit key goes to RC4 as 128 bits, the 40 followed by zeros, as the
    // cryptographic provider that wrote these files did; RC4 keyed with the
    // 5 bytes alone gives a different key stream.
    if (keyBytes_ == 5) key.resize(16, 0);
    return key;
}

bool verifyRc4Password(const FilePass& fp, const Rc4KeySchedule& keys) {
    if (fp.method == Method::XorObfuscation) return false;
    const std::vector<std::uint8_t> key = keys.blockKey(0);
    Rc4 cipher(key);
    std::array<std::uint8_t, 16> verifier = fp.encryptedVerifier;
    std::vector<std::uint8_t> hash = fp.encryptedVerifierHash;
    // The hash is encrypted with the key stream that continues after the
    // verifier, not with a fresh one.
    cipher.apply(verifier);
    cipher.apply(hash);
    if (fp.method == Method::Rc4) {
        const Md5::Digest expected = Md5::of(verifier);
        return hash.size() == expected.size() &&
               std::equal(expected.begin(), expected.end(), hash.begin());
    }
    const Sha1::Digest expected = Sha1::of(verifier);
    return hash.size() == expected.size() &&
           std::equal(expected.begin(), expected.end(), hash.begin());
}

void Rc4StreamDecryptor::decrypt(std::span<std::uint8_t> data, std::uint64_t streamOffset) {
    while (!data.empty()) {
        const std::uint64_t block = streamOffset / kBlockSize;
        if (!cipher_ || block != block_ || streamOffset < position_) {
            if (block > 0xFFFFFFFFu) {
                throw CryptoError("stream offset " + std::to_string(streamOffset) +
                                  " is beyond the 32-bit block numbers of the cipher");
            }
            cipher_.emplace(keys_.blockKey(static_cast<std::uint32_t>(block)));
            block_ = block;
            position_ = block * kBlockSize;
        }
        cipher_->discard(static_cast<std::size_t>(streamOffset - position_));
        const std::uint64_t blockEnd = (block + 1) * kBlockSize;
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(data.size(), blockEnd - streamOffset));
        cipher_->apply(data.first(n));
        data = data.subspan(n);
        streamOffset += n;
        position_ = streamOffset;
    }
}

}  // namespace xls::crypto
