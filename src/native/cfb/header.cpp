#include "native/cfb/header.h"

#include <string>

#include "native/cfb/cfb_error.h"
#include "native/cfb/signature.h"
#include "native/io/byte_reader.h"
#include "native/text/hex.h"

namespace xls::cfb {

namespace {}  // namespace

Header parseHeader(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < kHeaderSize)
        throw CfbError("truncated header: " + std::to_string(bytes.size()) +
                       " bytes, a compound file needs at least 512");
    if (!hasCompoundFileSignature(bytes)) throw CfbError("no compound file signature");

    io::ByteReader r(bytes.first(kHeaderSize));
    Header h;
    r.skip(8);
    auto clsid = r.bytes(16);
    std::copy(clsid.begin(), clsid.end(), h.clsid.begin());
    h.minorVersion = r.u16();
    h.majorVersion = r.u16();
    h.byteOrder = r.u16();
    h.sectorShift = r.u16();
    h.miniSectorShift = r.u16();
    r.skip(6);
    h.numDirectorySectors = r.u32();
    h.numFatSectors = r.u32();
    h.firstDirectorySector = r.u32();
    h.transactionSignature = r.u32();
    h.miniStreamCutoff = r.u32();
    h.firstMiniFatSector = r.u32();
    h.numMiniFatSectors = r.u32();
    h.firstDifatSector = r.u32();
    h.numDifatSectors = r.u32();
    for (auto& s : h.difat) s = r.u32();

    // Some writers store the byte order mark swapped; the content is
    // little-endian all the same, so only a mark that is neither is fatal.
    if (h.byteOrder != 0xFFFE && h.byteOrder != 0xFEFF)
        throw CfbError("byte order mark " + text::hexNumber(h.byteOrder) + ", expected 0xFFFE");
    if (h.majorVersion != 3 && h.majorVersion != 4)
        throw CfbError("major version " + std::to_string(h.majorVersion) + ", expected 3 or 4");
    if (h.sectorShift != 9 && h.sectorShift != 12)
        throw CfbError("sector shift " + std::to_string(h.sectorShift) + ", expected 9 or 12");
    if ((h.majorVersion == 3) != (h.sectorShift == 9))
        throw CfbError("version " + std::to_string(h.majorVersion) + " with sector size " +
                       std::to_string(h.sectorSize()) + " (version 3 uses 512, 4 uses 4096)");
    if (h.miniSectorShift != 6)
        throw CfbError("mini sector shift " + std::to_string(h.miniSectorShift) + ", expected 6");
    if (h.miniStreamCutoff != 4096)
        throw CfbError("mini stream cutoff " + std::to_string(h.miniStreamCutoff) +
                       ", expected 4096");
    return h;
}

}  // namespace xls::cfb
