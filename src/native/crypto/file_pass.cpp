#include "native/crypto/file_pass.h"

#include <algorithm>
#include <string>

#include "native/crypto/crypto_error.h"
#include "native/io/byte_reader.h"
#include "native/text/hex.h"
#include "native/text/unicode.h"

namespace xls::crypto {

namespace {

constexpr std::uint32_t kAlgRc4 = 0x6801;
constexpr std::uint32_t kAlgSha1 = 0x8004;
// Header fields before the provider name: flags, size extra, algorithm,
// hash algorithm, key size, provider type and two reserved words.
constexpr std::uint32_t kFixedHeaderBytes = 32;

template <std::size_t N>
void readInto(io::ByteReader& in, std::array<std::uint8_t, N>& out) {
    auto bytes = in.bytes(N);
    std::copy(bytes.begin(), bytes.end(), out.begin());
}

std::string providerName(std::span<const std::uint8_t> bytes) {
    // The name is NUL-terminated inside a field whose size the header gives;
    // writers pad it differently, so stop at the first NUL unit.
    std::size_t units = bytes.size() / 2;
    for (std::size_t k = 0; k < units; ++k) {
        if (bytes[2 * k] == 0 && bytes[2 * k + 1] == 0) {
            units = k;
            break;
        }
    }
    return text::utf16leToUtf8(bytes.first(units * 2));
}

void parseCryptoApi(io::ByteReader& in, FilePass& fp) {
    fp.headerFlags = in.u32();
    const std::uint32_t headerSize = in.u32();
    if (headerSize < kFixedHeaderBytes || headerSize > in.remaining()) {
        throw CryptoError("FILEPASS encryption header size " + std::to_string(headerSize) +
                          " does not fit the " + std::to_string(in.remaining()) +
                          " bytes left in the record");
    }
    io::ByteReader header(in.bytes(headerSize));
    header.u32();  // flags again; the copy before the size is the one used
    header.u32();  // size extra, unused
    fp.algId = header.u32();
    fp.algIdHash = header.u32();
    fp.keySizeBits = header.u32();
    fp.providerType = header.u32();
    header.u32();
    header.u32();
    fp.cspName = providerName(header.rest());

    if (fp.algId != 0 && fp.algId != kAlgRc4) {
        throw CryptoError("FILEPASS names cipher algorithm " + text::hexNumber(fp.algId) +
                          ", not RC4");
    }
    if (fp.algIdHash != 0 && fp.algIdHash != kAlgSha1) {
        throw CryptoError("FILEPASS names hash algorithm " + text::hexNumber(fp.algIdHash) +
                          ", not SHA-1");
    }
    const std::uint32_t bits = fp.effectiveKeyBits();
    if (bits < 40 || bits > 128 || bits % 8 != 0) {
        throw CryptoError("FILEPASS key size of " + std::to_string(fp.keySizeBits) +
                          " bits is not one RC4 allows here (40 to 128, whole bytes)");
    }

    const std::uint32_t saltSize = in.u32();
    if (saltSize != fp.salt.size()) {
        throw CryptoError("FILEPASS salt of " + std::to_string(saltSize) + " bytes; 16 expected");
    }
    readInto(in, fp.salt);
    readInto(in, fp.encryptedVerifier);
    const std::uint32_t hashSize = in.u32();
    if (hashSize != 20) {
        throw CryptoError("FILEPASS verifier hash of " + std::to_string(hashSize) +
                          " bytes; 20 expected for SHA-1");
    }
    auto hash = in.bytes(hashSize);
    fp.encryptedVerifierHash.assign(hash.begin(), hash.end());
}

void parseRc4(io::ByteReader& in, FilePass& fp) {
    fp.versionMajor = in.u16();
    fp.versionMinor = in.u16();
    if (fp.versionMajor == 1 && fp.versionMinor == 1) {
        fp.method = Method::Rc4;
        readInto(in, fp.salt);
        readInto(in, fp.encryptedVerifier);
        auto hash = in.bytes(16);
        fp.encryptedVerifierHash.assign(hash.begin(), hash.end());
    } else if (fp.versionMajor >= 2 && fp.versionMajor <= 4 && fp.versionMinor == 2) {
        fp.method = Method::Rc4CryptoApi;
        parseCryptoApi(in, fp);
    } else {
        throw CryptoError("FILEPASS RC4 header version " + std::to_string(fp.versionMajor) + "." +
                          std::to_string(fp.versionMinor) + " is not supported");
    }
}

void parseBiff8(io::ByteReader& in, FilePass& fp) {
    const std::uint16_t type = in.u16();
    if (type == 0) {
        fp.method = Method::XorObfuscation;
        fp.xorKey = in.u16();
        fp.xorVerifier = in.u16();
    } else if (type == 1) {
        parseRc4(in, fp);
    } else {
        throw CryptoError("FILEPASS encryption type " + std::to_string(type) + " is not known");
    }
}

}  // namespace

FilePass parseFilePass(std::span<const std::uint8_t> body, RecordLayout layout) {
    FilePass fp;
    try {
        io::ByteReader in(body);
        if (layout == RecordLayout::Biff5) {
            fp.method = Method::XorObfuscation;
            fp.shortXorLayout = true;
            fp.xorKey = in.u16();
            fp.xorVerifier = in.u16();
        } else {
            parseBiff8(in, fp);
        }
        if (!in.atEnd()) {
            throw CryptoError("FILEPASS record of " + std::to_string(body.size()) + " bytes has " +
                              std::to_string(in.remaining()) + " bytes left after its contents");
        }
    } catch (const io::ReadPastEnd& e) {
        throw CryptoError("FILEPASS record of " + std::to_string(body.size()) +
                          " bytes is truncated: " + e.what());
    }
    return fp;
}

}  // namespace xls::crypto
