#include <algorithm>

#include "native/biff/continue_reader.h"
#include "native/biff/globals_records.h"
#include "native/io/byte_reader.h"

namespace xls::biff::detail {

// SST: the shared string table that LABELSST cells index into. Strings run
// on through CONTINUE records; rich text runs and phonetic (ExtRst) blocks
// are skipped. A string table cut short keeps the strings before the cut:
// the cells that use them are still worth reading.
void parse_sst(Globals& g, const RecordBody& r) {
    ContinueReader in(r.parts);
    in.u32();  // cstTotal: uses in cells, not needed to read the table
    const std::uint32_t declared = in.u32();
    g.sstDeclaredCount = declared;
    // Each string takes at least three bytes (count and option byte). The
    // text in UTF-8 is about the size of the records: smaller for ASCII, up
    // to half as large again for CJK.
    g.sst.reserve(std::min<std::size_t>(declared, in.remaining() / 3), in.remaining());

    // The declared count is not trusted either way: some writers declare
    // more strings than they write, others (wrongly) fewer or none at all.
    std::size_t index = 0;
    while (!in.atEnd()) {
        try {
            const std::uint16_t cch = in.u16();
            const std::uint8_t flags = in.u8();
            const std::uint16_t runs = (flags & 0x08) ? in.u16() : 0;
            const std::uint32_t extRst = (flags & 0x04) ? in.u32() : 0;
            g.sst.push_back(in.characters(cch, (flags & 0x01) != 0));
            in.skip(std::size_t{runs} * 4);
            in.skip(extRst);
        } catch (const io::ReadPastEnd& e) {
            if (index < declared) {
                g.warnings.push_back(recordLabel(r.id, r.offset) + ": string " +
                                     std::to_string(index) + " runs past the record (" + e.what() +
                                     "); kept " + std::to_string(g.sst.size()) + " of " +
                                     std::to_string(declared) + " strings");
            }
            g.sst.shrinkToFit();
            return;
        }
        ++index;
    }
    g.sst.shrinkToFit();
    if (index < declared) {
        g.warnings.push_back(recordLabel(r.id, r.offset) + ": declares " +
                             std::to_string(declared) + " strings but holds " +
                             std::to_string(index));
    }
}

}  // namespace xls::biff::detail
