#include <gtest/gtest.h>

#include <bit>

#include "crypto_test_util.h"
#include "native/crypto/file_pass.h"
#include "native/crypto/workbook_decryptor.h"
#include "native/crypto/xor_obfuscation.h"

namespace xls::crypto {
namespace {

// Key and verifier as the application stored them for the password
// "password", in both record layouts.
TEST(XorObfuscation, KeyAndVerifierMatchWhatFilesStore) {
    for (const char* file : {"SheetJS__test_files/root__password_2002_40_xor.xls",
                             "SheetJS__test_files/biff5__password_2002_40_xor.xls"}) {
        const auto stream = testing::workbookStream(file);
        const auto location = findFilePass(stream);
        ASSERT_TRUE(location) << file;
        const FilePass fp = parseFilePass(
            std::span(stream).subspan(location->bodyOffset, location->bodySize), location->layout);
        ASSERT_EQ(fp.method, Method::XorObfuscation);
        EXPECT_EQ(xorKey("password"), fp.xorKey) << file;
        EXPECT_EQ(xorVerifier("password"), fp.xorVerifier) << file;
        EXPECT_NE(xorKey("passwore"), fp.xorKey);
        EXPECT_NE(xorVerifier("Password"), fp.xorVerifier);
        EXPECT_TRUE(passwordMatches(fp, "password"));
        EXPECT_FALSE(passwordMatches(fp, std::string(kDefaultPassword)));
    }
}

TEST(XorObfuscation, PasswordBytesFollowTheSingleByteRule) {
    EXPECT_EQ(xorPasswordBytes(u""), std::nullopt);
    EXPECT_EQ(xorPasswordBytes(std::u16string(16, u'a')), std::nullopt);
    EXPECT_EQ(xorPasswordBytes(std::u16string(15, u'a')), std::string(15, 'a'));
    // Low byte when there is one, else the high byte.
    EXPECT_EQ(xorPasswordBytes(u"\u3042\u0100z"), std::string("\x42\x01z"));
}

// Obfuscation rotates each byte left by five and XORs it with the array
// entry; decryption must undo exactly that, from any starting position.
TEST(XorObfuscation, DecryptInvertsTheObfuscation) {
    const auto array = xorArray(kDefaultPassword);
    std::vector<std::uint8_t> plain(256);
    for (std::size_t k = 0; k < plain.size(); ++k) plain[k] = static_cast<std::uint8_t>(k);
    for (std::uint64_t start : {0u, 5u, 15u, 16u, 1000003u}) {
        std::vector<std::uint8_t> data = plain;
        for (std::size_t k = 0; k < data.size(); ++k) {
            data[k] = static_cast<std::uint8_t>(std::rotl(data[k], 5) ^ array[(start + k) % 16]);
        }
        xorDecrypt(array, data, start);
        EXPECT_EQ(data, plain) << start;
    }
}

// A stream obfuscated here the way the application writes one, with the
// 15-character default password: bodies after FILEPASS are obfuscated at
// array position (offset + record size), except the records read before a
// password is known and the sheet position in BOUNDSHEET.
TEST(XorObfuscation, StreamWithDefaultPasswordRoundTrips) {
    const std::string password(kDefaultPassword);
    const auto array = xorArray(password);
    std::vector<std::uint8_t> plain;
    struct Span {
        std::size_t offset, length, recordSize;
    };
    std::vector<Span> obfuscated;
    bool afterFilePass = false;
    auto add = [&](std::uint16_t id, std::vector<std::uint8_t> body) {
        const std::size_t bodyOffset = plain.size() + 4;
        for (std::uint16_t v : {id, static_cast<std::uint16_t>(body.size())}) {
            plain.push_back(static_cast<std::uint8_t>(v));
            plain.push_back(static_cast<std::uint8_t>(v >> 8));
        }
        plain.insert(plain.end(), body.begin(), body.end());
        const bool clear = id == 0x0809 || id == 0x002F || id == 0x00E1 || id == 0x0194;
        const std::size_t skip = id == 0x0085 ? 4 : 0;
        if (afterFilePass && !clear) {
            obfuscated.push_back({bodyOffset + skip, body.size() - skip, body.size()});
        }
        if (id == 0x002F) afterFilePass = true;
    };
    const std::uint16_t key = xorKey(password);
    const std::uint16_t verifier = xorVerifier(password);
    add(0x0809, {0x00, 0x06, 0x05, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    add(0x002F, {0, 0, static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                 static_cast<std::uint8_t>(verifier), static_cast<std::uint8_t>(verifier >> 8)});
    add(0x00E1, {0xB0, 0x04});
    add(0x0194, {1, 2, 3});
    add(0x0042, {0xB0, 0x04});
    add(0x0085, {0x44, 0x00, 0x00, 0x00, 0, 0, 3, 0, 'O', 'n', 'e'});
    std::vector<std::uint8_t> longer(300);
    for (std::size_t k = 0; k < longer.size(); ++k) longer[k] = static_cast<std::uint8_t>(k * 13);
    add(0x00FC, longer);
    add(0x000A, {});
    add(0x0809, {0x00, 0x06, 0x10, 0x00, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
    add(0x027E, {0, 0, 1, 0, 0x0F, 0, 0x01, 0x00, 0xF0, 0x3F});
    add(0x000A, {});

    std::vector<std::uint8_t> stream = plain;
    for (const Span& s : obfuscated) {
        for (std::size_t k = 0; k < s.length; ++k) {
            std::uint8_t& b = stream[s.offset + k];
            b = static_cast<std::uint8_t>(std::rotl(b, 5) ^
                                          array[(s.offset + k + s.recordSize) % 16]);
        }
    }
    ASSERT_NE(stream, plain);
    EXPECT_EQ(decryptWorkbookStream(stream, password), plain);
    EXPECT_EQ(decryptWorkbookStream(stream, "VelvetSweatshoq"), std::nullopt);
}

}  // namespace
}  // namespace xls::crypto
