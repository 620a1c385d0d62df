#include "native/zip/local_header.h"

#include <algorithm>
#include <string>

#include "native/io/byte_reader.h"
#include "native/text/hex.h"
#include "native/zip/zip_error.h"
#include "native/zip/zip_format.h"

namespace xls::zip {

std::span<const std::uint8_t> entryData(std::span<const std::uint8_t> bytes, const Entry& entry,
                                        std::uint64_t directoryOffset) {
    const std::uint64_t limit = std::min<std::uint64_t>(directoryOffset, bytes.size());
    const std::uint64_t at = entry.localHeaderOffset;
    const std::string label = "entry '" + entry.name + "'";
    if (at > limit || limit - at < kLocalHeaderSize)
        throw ZipError(label + ": local header at offset " + std::to_string(at) +
                       " does not fit before the central directory at offset " +
                       std::to_string(limit));

    const std::uint8_t* p = bytes.data() + at;
    const std::uint32_t signature = io::le32(p);
    if (signature != kLocalHeaderSignature)
        throw ZipError(label + ": local header at offset " + std::to_string(at) +
                       " has signature " + text::hexNumber(signature, 8) + ", expected " +
                       text::hexNumber(kLocalHeaderSignature, 8));
    const std::uint64_t start = at + kLocalHeaderSize + io::le16(p + 26) + io::le16(p + 28);
    const std::uint64_t size = entry.compressedSize;
    if (start > bytes.size() || size > bytes.size() - start)
        throw ZipError(label + ": " + std::to_string(size) + " bytes of data at offset " +
                       std::to_string(start) + " run past the end of the file (" +
                       std::to_string(bytes.size()) + " bytes)");
    if (start > limit || size > limit - start)
        throw ZipError(label + ": " + std::to_string(size) + " bytes of data at offset " +
                       std::to_string(start) + " overlap the central directory at offset " +
                       std::to_string(limit));
    return bytes.subspan(static_cast<std::size_t>(start), static_cast<std::size_t>(size));
}

}  // namespace xls::zip
