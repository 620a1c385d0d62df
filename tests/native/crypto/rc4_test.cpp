#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "crypto_test_util.h"
#include "native/crypto/rc4.h"
#include "native/crypto/rc4_keys.h"

namespace xls::crypto {
namespace {

using testing::hex;
using testing::unhex;

std::vector<std::uint8_t> keyStream(std::span<const std::uint8_t> key, std::size_t n) {
    std::vector<std::uint8_t> out(n, 0);
    Rc4 cipher(key);
    cipher.apply(out);
    return out;
}

// RFC 6229 key streams at several offsets, for a 40-bit and a 128-bit key.
TEST(Rc4, MatchesRfc6229KeyStreams) {
    struct Window {
        std::size_t offset;
        std::string bytes;
    };
    const auto key40 = unhex("0102030405");
    const auto stream40 = keyStream(key40, 272);
    for (const Window& w : std::vector<Window>{{0, "b2396305f03dc027ccc3524a0a1118a8"},
                                               {16, "6982944f18fc82d589c403a47a0d0919"},
                                               {240, "28cb1132c96ce286421dcaadb8b69eae"},
                                               {256, "1cfcf62b03eddb641d77dfcf7f8d8c93"}}) {
        EXPECT_EQ(hex(std::span(stream40).subspan(w.offset, 16)), w.bytes) << w.offset;
    }
    const auto key128 = unhex("0102030405060708090a0b0c0d0e0f10");
    const auto stream128 = keyStream(key128, 32);
    EXPECT_EQ(hex(std::span(stream128).first(16)), "9ac7cc9a609d1ef7b2932899cde41b97");
    EXPECT_EQ(hex(std::span(stream128).subspan(16)), "5248c4959014126a6e8a84f11d1a9e1c");
}

// The classic text examples; also shows that applying the cipher twice with
// the same key restores the input.
TEST(Rc4, EncryptsTextExamplesAndInvertsItself) {
    struct Example {
        std::string key, plain, cipher;
    };
    for (const Example& e :
         std::vector<Example>{{"Key", "Plaintext", "bbf316e8d940af0ad3"},
                              {"Wiki", "pedia", "1021bf0420"},
                              {"Secret", "Attack at dawn", "45a01f645fc35b383552544b9bf5"}}) {
        std::vector<std::uint8_t> key(e.key.begin(), e.key.end());
        std::vector<std::uint8_t> data(e.plain.begin(), e.plain.end());
        Rc4(key).apply(data);
        EXPECT_EQ(hex(data), e.cipher);
        Rc4(key).apply(data);
        EXPECT_EQ(std::string(data.begin(), data.end()), e.plain);
    }
}

TEST(Rc4, DiscardSkipsExactlyTheKeyStream) {
    const auto key = unhex("0102030405");
    const auto full = keyStream(key, 300);
    Rc4 cipher(key);
    cipher.discard(240);
    std::vector<std::uint8_t> tail(60, 0);
    cipher.apply(tail);
    EXPECT_EQ(tail, std::vector<std::uint8_t>(full.begin() + 240, full.end()));
}

class Rc4StreamTest : public ::testing::Test {
  protected:
    const std::array<std::uint8_t, 16> salt_ = {1, 2,  3,  4,  5,  6,  7,  8,
                                                9, 10, 11, 12, 13, 14, 15, 16};
    Rc4KeySchedule keys_ = Rc4KeySchedule::standard(u"password", salt_);
};

// Each 1024-byte block of the stream has its own key, whatever the record
// layout around it.
TEST_F(Rc4StreamTest, RekeysAtEveryBlockBoundary) {
    std::vector<std::uint8_t> data(3000, 0);
    Rc4StreamDecryptor(keys_).decrypt(data, 0);
    for (std::uint32_t block = 0; block < 3; ++block) {
        const std::size_t begin = block * 1024;
        const std::size_t n = std::min<std::size_t>(1024, data.size() - begin);
        EXPECT_EQ(std::vector<std::uint8_t>(data.begin() + begin, data.begin() + begin + n),
                  keyStream(keys_.blockKey(block), n))
            << "block " << block;
    }
}

// Records arrive in pieces with headers in between, and a caller may go
// back; the bytes at an offset must not depend on how they were reached.
TEST_F(Rc4StreamTest, PiecesAtAnyOffsetsMatchOneCall) {
    std::vector<std::uint8_t> expected(5000);
    for (std::size_t k = 0; k < expected.size(); ++k)
        expected[k] = static_cast<std::uint8_t>(k * 7);
    std::vector<std::uint8_t> whole = expected;
    Rc4StreamDecryptor(keys_).decrypt(whole, 0);

    std::vector<std::uint8_t> pieces = expected;
    Rc4StreamDecryptor decryptor(keys_);
    // Forward with gaps that cross block boundaries, then back to the start.
    const std::vector<std::pair<std::size_t, std::size_t>> spans = {
        {4, 100}, {108, 916}, {1024, 1}, {1030, 2100}, {3500, 1500},
        {0, 4},   {104, 4},   {1025, 5}, {3130, 370}};
    for (auto [offset, length] : spans) {
        decryptor.decrypt(std::span(pieces).subspan(offset, length), offset);
    }
    EXPECT_EQ(pieces, whole);
}

TEST(Rc4KeySchedule, CryptoApiKeysHaveTheRequestedLength) {
    const std::array<std::uint8_t, 16> salt{};
    // 40-bit keys reach RC4 as 16 bytes, the last 11 of them zero.
    const auto key40 = Rc4KeySchedule::cryptoApi(u"password", salt, 40).blockKey(3);
    ASSERT_EQ(key40.size(), 16u);
    EXPECT_EQ(std::vector<std::uint8_t>(key40.begin() + 5, key40.end()),
              std::vector<std::uint8_t>(11, 0));
    const auto key56 = Rc4KeySchedule::cryptoApi(u"password", salt, 56).blockKey(3);
    EXPECT_EQ(key56.size(), 7u);
    const auto key128 = Rc4KeySchedule::cryptoApi(u"password", salt, 128).blockKey(3);
    ASSERT_EQ(key128.size(), 16u);
    // All three are prefixes of the same hash.
    EXPECT_TRUE(std::equal(key56.begin(), key56.end(), key128.begin()));
    EXPECT_TRUE(std::equal(key40.begin(), key40.begin() + 5, key128.begin()));
    EXPECT_NE(key128, Rc4KeySchedule::cryptoApi(u"password", salt, 128).blockKey(4));
}

}  // namespace
}  // namespace xls::crypto
