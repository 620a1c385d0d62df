#include "native/crypto/sha1.h"

#include <bit>

namespace xls::crypto {

Sha1::Sha1() : state_{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0} {}

void Sha1::compress(const std::uint8_t* block) {
    std::uint32_t w[80];
    for (int k = 0; k < 16; ++k) {
        w[k] = (static_cast<std::uint32_t>(block[4 * k]) << 24) |
               (static_cast<std::uint32_t>(block[4 * k + 1]) << 16) |
               (static_cast<std::uint32_t>(block[4 * k + 2]) << 8) |
               static_cast<std::uint32_t>(block[4 * k + 3]);
    }
    for (int k = 16; k < 80; ++k) w[k] = std::rotl(w[k - 3] ^ w[k - 8] ^ w[k - 14] ^ w[k - 16], 1);

    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
    for (int k = 0; k < 80; ++k) {
        std::uint32_t f, constant;
        if (k < 20) {
            f = (b & c) | (~b & d);
            constant = 0x5A827999;
        } else if (k < 40) {
            f = b ^ c ^ d;
            constant = 0x6ED9EBA1;
        } else if (k < 60) {
            f = (b & c) | (b & d) | (c & d);
            constant = 0x8F1BBCDC;
        } else {
            f = b ^ c ^ d;
            constant = 0xCA62C1D6;
        }
        std::uint32_t t = std::rotl(a, 5) + f + e + constant + w[k];
        e = d;
        d = c;
        c = std::rotl(b, 30);
        b = a;
        a = t;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
}

void Sha1::update(std::span<const std::uint8_t> data) {
    totalBytes_ += data.size();
    for (std::uint8_t byte : data) {
        buffer_[buffered_++] = byte;
        if (buffered_ == buffer_.size()) {
            compress(buffer_.data());
            buffered_ = 0;
        }
    }
}

Sha1::Digest Sha1::finish() {
    const std::uint64_t bits = totalBytes_ * 8;
    const std::uint8_t one = 0x80;
    update({&one, 1});
    const std::uint8_t zero = 0;
    while (buffered_ != 56) update({&zero, 1});
    std::uint8_t length[8];
    for (int k = 0; k < 8; ++k) length[k] = static_cast<std::uint8_t>(bits >> (56 - 8 * k));
    update(length);
    Digest out;
    for (int k = 0; k < 5; ++k) {
        for (int byte = 0; byte < 4; ++byte) {
            out[4 * k + byte] = static_cast<std::uint8_t>(state_[k] >> (24 - 8 * byte));
        }
    }
    return out;
}

Sha1::Digest Sha1::of(std::span<const std::uint8_t> data) {
    Sha1 sha1;
    sha1.update(data);
    return sha1.finish();
}

}  // namespace xls::crypto
