#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "crypto_test_util.h"
#include "native/crypto/crypto_error.h"
#include "native/crypto/file_pass.h"
#include "native/crypto/workbook_decryptor.h"

namespace xls::crypto {
namespace {

std::vector<std::uint8_t> filePassBody(const std::string& file) {
    const auto stream = testing::workbookStream(file);
    const auto location = findFilePass(stream);
    if (!location) throw std::runtime_error(file + " has no FILEPASS");
    return {
        stream.begin() + static_cast<std::ptrdiff_t>(location->bodyOffset),
        stream.begin() + static_cast<std::ptrdiff_t>(location->bodyOffset + location->bodySize)};
}

struct Expected {
    std::string file;
    Method method;
    std::uint32_t keyBits;
    std::string provider;
};

TEST(FilePass, ParsesEveryMethodFromRealFiles) {
    const std::vector<Expected> files = {
        {"SheetJS__test_files/root__password_2002_40_xor.xls", Method::XorObfuscation, 0, ""},
        {"apache__poi/password.xls", Method::Rc4, 0, ""},
        {"SheetJS__test_files/password_2002_40_dss.xls", Method::Rc4CryptoApi, 40,
         "Base DSS and Diffie-Hellman Cryptographic Provider"},
        {"SheetJS__test_files/password_2002_128_enhrsa.xls", Method::Rc4CryptoApi, 128,
         "Enhanced RSA and AES Cryptographic Provider (Prototype)"},
        {"PHPOffice__PhpSpreadsheet/pwtest3.xls", Method::Rc4CryptoApi, 128,
         "Enhanced Cryptographic Provider v1.0"},
    };
    for (const auto& e : files) {
        const FilePass fp = parseFilePass(filePassBody(e.file));
        EXPECT_EQ(fp.method, e.method) << e.file;
        // The provider name is stored with its maker's name in front.
        EXPECT_TRUE(fp.cspName.ends_with(e.provider)) << e.file << ": " << fp.cspName;
        EXPECT_EQ(fp.cspName.empty(), e.provider.empty()) << e.file;
        if (e.method == Method::XorObfuscation) continue;
        EXPECT_NE(fp.salt, (std::array<std::uint8_t, 16>{})) << e.file;
        if (e.method == Method::Rc4) {
            EXPECT_EQ(fp.versionMajor, 1);
            EXPECT_EQ(fp.encryptedVerifierHash.size(), 16u);
        } else {
            EXPECT_EQ(fp.effectiveKeyBits(), e.keyBits) << e.file;
            EXPECT_EQ(fp.algId, 0x6801u);
            EXPECT_EQ(fp.algIdHash, 0x8004u);
            EXPECT_EQ(fp.encryptedVerifierHash.size(), 20u);
        }
    }
}

// Any cut of a real record, and any extra byte, is an error of this layer,
// never a read past the buffer.
TEST(FilePass, TruncatedOrOverlongBodiesAreErrors) {
    for (const char* file :
         {"SheetJS__test_files/root__password_2002_40_xor.xls", "apache__poi/password.xls",
          "SheetJS__test_files/password_2002_128_enhdss.xls"}) {
        const auto body = filePassBody(file);
        for (std::size_t n = 0; n < body.size(); ++n) {
            EXPECT_THROW(parseFilePass(std::span(body).first(n)), CryptoError) << file << " " << n;
        }
        auto longer = body;
        longer.push_back(0);
        EXPECT_THROW(parseFilePass(longer), CryptoError) << file;
    }
    const std::vector<std::uint8_t> six(6, 0);
    EXPECT_THROW(parseFilePass(six, RecordLayout::Biff5), CryptoError);
}

class HostileCryptoApiHeader : public ::testing::Test {
  protected:
    void SetUp() override { body_ = filePassBody("PHPOffice__PhpSpreadsheet/pwtest3.xls"); }
    void put32(std::size_t at, std::uint32_t v) {
        for (int k = 0; k < 4; ++k) body_[at + k] = static_cast<std::uint8_t>(v >> (8 * k));
    }
    std::string errorFor() {
        try {
            parseFilePass(body_);
        } catch (const CryptoError& e) {
            return e.what();
        }
        return "no error";
    }
    // Offsets in the body: type 0, version 2, flags 6, header size 10, then
    // the header: flags 14, size extra 18, algorithm 22, hash 26, key bits 30.
    std::vector<std::uint8_t> body_;
};

TEST_F(HostileCryptoApiHeader, ReportsTheValuesFound) {
    put32(10, 0xFFFFFFFF);
    EXPECT_NE(errorFor().find("4294967295"), std::string::npos) << errorFor();
    SetUp();
    put32(10, 8);
    EXPECT_NE(errorFor().find("header size 8"), std::string::npos) << errorFor();
    SetUp();
    put32(22, 0x660E);  // AES-128
    EXPECT_NE(errorFor().find("0x660E"), std::string::npos) << errorFor();
    SetUp();
    put32(26, 0x8003);  // MD5
    EXPECT_NE(errorFor().find("0x8003"), std::string::npos) << errorFor();
    for (std::uint32_t bits : {41u, 32u, 136u, 0xFFFFFFF8u}) {
        SetUp();
        put32(30, bits);
        EXPECT_NE(errorFor().find(std::to_string(bits)), std::string::npos) << errorFor();
    }
    SetUp();
    const std::uint32_t headerSize = testing::le32At(body_, 10);
    put32(14 + headerSize, 0x10000);  // salt size
    EXPECT_NE(errorFor().find("65536"), std::string::npos) << errorFor();
    SetUp();
    body_[2] = 5;  // version 5.2
    EXPECT_NE(errorFor().find("5.2"), std::string::npos) << errorFor();
    SetUp();
    body_[0] = 2;
    EXPECT_NE(errorFor().find("type 2"), std::string::npos) << errorFor();
}

}  // namespace
}  // namespace xls::crypto
