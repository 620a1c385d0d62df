#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace xls::crypto {

enum class Method { XorObfuscation, Rc4, Rc4CryptoApi };

// The contents of a FILEPASS record: which method protects the stream and
// what is needed to check a password against it. Only the fields of the
// method found are meaningful.
struct FilePass {
    Method method = Method::XorObfuscation;

    // XorObfuscation: the 16-bit key and the password verifier.
    std::uint16_t xorKey = 0;
    std::uint16_t xorVerifier = 0;
    // Files of the older record layout carry key and verifier without the
    // leading method word.
    bool shortXorLayout = false;

    // Rc4 and Rc4CryptoApi.
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    std::array<std::uint8_t, 16> salt{};
    std::array<std::uint8_t, 16> encryptedVerifier{};
    // 16 bytes (an MD5 digest) for Rc4, 20 (SHA-1) for Rc4CryptoApi.
    std::vector<std::uint8_t> encryptedVerifierHash;

    // Rc4CryptoApi header.
    std::uint32_t headerFlags = 0;
    std::uint32_t algId = 0;
    std::uint32_t algIdHash = 0;
    // As stored; 0 stands for 40.
    std::uint32_t keySizeBits = 0;
    std::uint32_t providerType = 0;
    std::string cspName;  // UTF-8

    // Key size in bits with the stored 0 resolved to its meaning.
    std::uint32_t effectiveKeyBits() const { return keySizeBits == 0 ? 40 : keySizeBits; }
};

// The record layout of the workbook the FILEPASS came from; its BOF says
// which. The older one knows only the XOR method and stores no method word.
enum class RecordLayout { Biff8, Biff5 };

// Parses the body of a FILEPASS record (without the record header). Throws
// CryptoError when the body is truncated, inconsistent or names a method
// or algorithm this layer does not implement.
FilePass parseFilePass(std::span<const std::uint8_t> body,
                       RecordLayout layout = RecordLayout::Biff8);

}  // namespace xls::crypto
