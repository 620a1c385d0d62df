#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "crypto_test_util.h"
#include "native/crypto/md5.h"
#include "native/crypto/sha1.h"

namespace xls::crypto {
namespace {

using testing::hex;

std::span<const std::uint8_t> bytesOf(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string eightTimes(const std::string& text) {
    std::string out;
    for (int k = 0; k < 8; ++k) out += text;
    return out;
}

struct Vector {
    std::string input;
    std::string digest;
};

// The test suite published with the MD5 definition (RFC 1321, appendix A.5).
TEST(Md5, MatchesPublishedSuite) {
    const std::vector<Vector> suite = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {eightTimes("1234567890"), "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& v : suite) EXPECT_EQ(hex(Md5::of(bytesOf(v.input))), v.digest) << v.input;
}

// FIPS 180 examples: one block, two blocks, and a million repetitions.
TEST(Sha1, MatchesPublishedExamples) {
    EXPECT_EQ(hex(Sha1::of(bytesOf("abc"))), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(hex(Sha1::of(bytesOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(hex(Sha1::of(bytesOf(""))), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
    const std::string million(1000000, 'a');
    EXPECT_EQ(hex(Sha1::of(bytesOf(million))), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
}

// Key derivation feeds the hashes in pieces; any split has to give the digest
// of the whole, including splits around the 56- and 64-byte padding limits.
TEST(Hashes, PiecewiseUpdatesMatchOneShot) {
    std::string input;
    for (int k = 0; k < 200; ++k) input.push_back(static_cast<char>('!' + k % 90));
    for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 128u, 200u}) {
        const auto whole = bytesOf(std::string_view(input).substr(0, length));
        for (std::size_t split = 0; split <= length; split += 7) {
            Md5 md5;
            md5.update(whole.first(split));
            md5.update(whole.subspan(split));
            EXPECT_EQ(md5.finish(), Md5::of(whole)) << length << "/" << split;
            Sha1 sha1;
            sha1.update(whole.first(split));
            sha1.update(whole.subspan(split));
            EXPECT_EQ(sha1.finish(), Sha1::of(whole)) << length << "/" << split;
        }
    }
}

}  // namespace
}  // namespace xls::crypto
