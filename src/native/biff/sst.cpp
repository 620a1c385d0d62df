#include <algorithm>
#include <optional>

#include "native/biff/continue_reader.h"
#include "native/biff/globals_records.h"
#include "native/io/byte_reader.h"

namespace xls::biff::detail {

namespace {

// A table larger than this is decoded twice, once to measure its text and
// once into a buffer of that size: growing the buffer instead would hold
// the text up to three times over at the moment it moves.
constexpr std::size_t kMeasuredTableBytes = 1u << 20;

// Hands each string of the table to take, in order. Returns how many were
// read whole, and for a table cut short what stopped it; a string cut in
// its runs or phonetic block has been handed over already.
template <class Take>
std::size_t readStrings(ContinueReader in, Take&& take, std::optional<std::string>& cut) {
    std::size_t index = 0;
    while (!in.atEnd()) {
        try {
            const std::uint16_t cch = in.u16();
            const std::uint8_t flags = in.u8();
            const std::uint16_t runs = (flags & 0x08) ? in.u16() : 0;
            const std::uint32_t extRst = (flags & 0x04) ? in.u32() : 0;
            take(in.characters(cch, (flags & 0x01) != 0));
            in.skip(std::size_t{runs} * 4);
            in.skip(extRst);
        } catch (const io::ReadPastEnd& e) {
            cut = e.what();
            return index;
        }
        ++index;
    }
    return index;
}

}  // namespace

// SST: the shared string table that LABELSST cells index into. Strings run
// on through CONTINUE records; rich text runs and phonetic (ExtRst) blocks
// are skipped. A string table cut short keeps the strings before the cut:
// the cells that use them are still worth reading.
void parse_sst(Globals& g, const RecordBody& r) {
    ContinueReader in(r.parts);
    in.u32();  // cstTotal: uses in cells, not needed to read the table
    const std::uint32_t declared = in.u32();
    g.sstDeclaredCount = declared;

    // The declared count is not trusted either way: some writers declare
    // more strings than they write, others (wrongly) fewer or none at all.
    // Each string takes at least three bytes (count and option byte).
    std::optional<std::string> cut;
    const std::size_t bytes = in.remaining();
    if (bytes > kMeasuredTableBytes) {
        std::size_t count = 0, text = 0;
        readStrings(
            in,
            [&](std::string&& s) {
                ++count;
                text += s.size();
            },
            cut);
        g.sst.reserve(count, text);
        cut.reset();
    } else {
        g.sst.reserve(std::min<std::size_t>(declared, bytes / 3), bytes);
    }
    const std::size_t index = readStrings(
        in, [&](std::string&& s) { g.sst.push_back(s); }, cut);
    g.sst.shrinkToFit();
    if (cut) {
        if (index < declared) {
            g.warnings.push_back(recordLabel(r.id, r.offset) + ": string " + std::to_string(index) +
                                 " runs past the record (" + *cut + "); kept " +
                                 std::to_string(g.sst.size()) + " of " + std::to_string(declared) +
                                 " strings");
        }
        return;
    }
    if (index < declared) {
        g.warnings.push_back(recordLabel(r.id, r.offset) + ": declares " +
                             std::to_string(declared) + " strings but holds " +
                             std::to_string(index));
    }
}

}  // namespace xls::biff::detail
