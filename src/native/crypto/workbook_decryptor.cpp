#include "native/crypto/workbook_decryptor.h"

#include <algorithm>
#include <string>
#include <variant>

#include "native/biff/record_ids.h"
#include "native/crypto/crypto_error.h"
#include "native/crypto/rc4_keys.h"
#include "native/crypto/xor_obfuscation.h"
#include "native/io/byte_reader.h"
#include "native/text/unicode.h"

namespace xls::crypto {

namespace {

constexpr std::size_t kHeaderSize = 4;
// The sheet's stream position in BOUNDSHEET stays readable so that a reader
// can find the sheets before it knows the password.
constexpr std::size_t kBoundSheetClearBytes = 4;

// Records whose bodies are written in clear even after FILEPASS: substream
// markers, FILEPASS itself, and the ones the application reads to tell who
// holds a shared file before it asks for a password.
bool leftInClear(std::uint16_t id) {
    switch (id) {
        case biff::rec::Bof:
        case biff::rec::FilePass:
        case biff::rec::UsrExcl:
        case biff::rec::FileLock:
        case biff::rec::InterfaceHdr:
        case biff::rec::RrdInfo:
        case biff::rec::RrdHead:
            return true;
        default:
            return false;
    }
}

struct XorState {
    std::array<std::uint8_t, 16> array;
};

using Decryptor = std::variant<XorState, Rc4StreamDecryptor>;

void decryptBody(Decryptor& decryptor, std::span<std::uint8_t> body, std::size_t bodyOffset,
                 std::size_t recordSize) {
    if (auto* rc4 = std::get_if<Rc4StreamDecryptor>(&decryptor)) {
        rc4->decrypt(body, bodyOffset);
        return;
    }
    // The XOR array position of a byte is its offset shifted by the size of
    // its record, so the same bytes obfuscate differently in records of
    // different lengths.
    xorDecrypt(std::get<XorState>(decryptor).array, body, bodyOffset + recordSize);
}

}  // namespace

std::optional<FilePassLocation> findFilePass(std::span<const std::uint8_t> stream) {
    RecordLayout layout = RecordLayout::Biff8;
    // BIFF5 and BIFF8 share the BOF id; the version word tells them apart.
    if (stream.size() >= kHeaderSize + 2 && io::le16(stream.data()) == biff::rec::Bof &&
        io::le16(stream.data() + kHeaderSize) < biff::kBiff8Version) {
        layout = RecordLayout::Biff5;
    }
    std::size_t pos = 0;
    while (stream.size() - pos >= kHeaderSize) {
        const std::uint16_t id = io::le16(stream.data() + pos);
        const std::uint16_t size = io::le16(stream.data() + pos + 2);
        const std::size_t body = pos + kHeaderSize;
        if (id == biff::rec::FilePass) {
            if (size > stream.size() - body) {
                throw CryptoError("FILEPASS record at offset " + std::to_string(pos) +
                                  " declares " + std::to_string(size) + " bytes but only " +
                                  std::to_string(stream.size() - body) + " remain");
            }
            return FilePassLocation{pos, body, size, layout};
        }
        if (id == biff::rec::Eof || size > stream.size() - body) return std::nullopt;
        pos = body + size;
    }
    return std::nullopt;
}

bool passwordMatches(const FilePass& filePass, std::string_view passwordUtf8) {
    const std::u16string password = text::utf8ToUtf16(passwordUtf8);
    if (filePass.method == Method::XorObfuscation) {
        const auto bytes = xorPasswordBytes(password);
        return bytes && xorKey(*bytes) == filePass.xorKey &&
               xorVerifier(*bytes) == filePass.xorVerifier;
    }
    return verifyRc4Password(filePass, Rc4KeySchedule::forFilePass(filePass, password));
}

std::optional<std::vector<std::uint8_t>> decryptWorkbookStream(std::span<const std::uint8_t> stream,
                                                               std::string_view passwordUtf8) {
    std::vector<std::uint8_t> out(stream.begin(), stream.end());
    const auto location = findFilePass(stream);
    if (!location) return out;
    const FilePass filePass =
        parseFilePass(stream.subspan(location->bodyOffset, location->bodySize), location->layout);
    if (!passwordMatches(filePass, passwordUtf8)) return std::nullopt;

    const std::u16string password = text::utf8ToUtf16(passwordUtf8);
    Decryptor decryptor =
        filePass.method == Method::XorObfuscation
            ? Decryptor(XorState{xorArray(*xorPasswordBytes(password))})
            : Decryptor(Rc4StreamDecryptor(Rc4KeySchedule::forFilePass(filePass, password)));

    std::size_t pos = location->bodyOffset + location->bodySize;
    while (out.size() - pos >= kHeaderSize) {
        const std::uint16_t id = io::le16(out.data() + pos);
        const std::size_t size = io::le16(out.data() + pos + 2);
        const std::size_t bodyOffset = pos + kHeaderSize;
        const std::size_t present = std::min(size, out.size() - bodyOffset);
        if (!leftInClear(id)) {
            const std::size_t skip =
                id == biff::rec::BoundSheet ? std::min(kBoundSheetClearBytes, present) : 0;
            decryptBody(decryptor, std::span(out).subspan(bodyOffset + skip, present - skip),
                        bodyOffset + skip, size);
        }
        pos = bodyOffset + present;
    }
    return out;
}

}  // namespace xls::crypto
