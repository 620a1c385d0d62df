#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "native/crypto/file_pass.h"

namespace xls::crypto {

// The password the application writes files with when the user asked only
// to protect the workbook's structure or windows; it opens them without
// asking, so a reader must try it first.
inline constexpr std::string_view kDefaultPassword = "VelvetSweatshop";

// Where the FILEPASS record of a Workbook stream is.
struct FilePassLocation {
    std::size_t recordOffset = 0;  // of the record header
    std::size_t bodyOffset = 0;
    std::size_t bodySize = 0;
    // From the BOF that opens the globals.
    RecordLayout layout = RecordLayout::Biff8;
};

// Looks for FILEPASS among the records of the workbook globals, up to their
// EOF. Nullopt when the stream is not encrypted. Throws CryptoError when a
// FILEPASS header is found but its body runs past the end of the stream.
std::optional<FilePassLocation> findFilePass(std::span<const std::uint8_t> stream);

// Whether the password opens a stream protected as the FILEPASS says.
bool passwordMatches(const FilePass& filePass, std::string_view passwordUtf8);

// A copy of the Workbook stream with every record body the protection
// covers decrypted, record ids and lengths untouched, and FILEPASS left in
// place for the caller to skip. Nullopt when the password does not match.
// A stream without FILEPASS comes back unchanged. A record cut short by the
// end of the stream is decrypted as far as it goes, so the caller sees the
// same damage it would see in a clear file. Throws CryptoError when FILEPASS
// cannot be parsed or names an unknown method.
std::optional<std::vector<std::uint8_t>> decryptWorkbookStream(std::span<const std::uint8_t> stream,
                                                               std::string_view passwordUtf8);

}  // namespace xls::crypto
