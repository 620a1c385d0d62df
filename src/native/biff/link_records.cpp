#include <algorithm>

#include "native/biff/continue_reader.h"
#include "native/biff/globals_records.h"
#include "native/io/byte_reader.h"

namespace xls::biff::detail {

// SUPBOOK: this workbook, an add-in, an external workbook with its sheet
// names, or an OLE/DDE link (a path of a single blank).
void parse_supbook(Globals& g, const RecordBody& r) {
    ContinueReader in(r.parts);
    SupBook b;
    b.sheetCount = in.u16();
    const std::uint16_t cch = in.u16();
    if (cch == SupBook::kSelfMarker) {
        b.kind = SupBook::Kind::Self;
    } else if (cch == SupBook::kAddInMarker) {
        b.kind = SupBook::Kind::AddIn;
    } else {
        b.url = in.unicodeStringNoCch(cch);
        if (b.url == " ") {
            b.kind = SupBook::Kind::OleDde;
        } else {
            b.kind = SupBook::Kind::External;
            // A sheet name takes at least three bytes.
            b.sheetNames.reserve(std::min<std::size_t>(b.sheetCount, in.remaining() / 3));
            for (std::uint16_t i = 0; i < b.sheetCount; ++i)
                b.sheetNames.push_back(in.unicodeString());
        }
    }
    g.supbooks.push_back(std::move(b));
}

// EXTERNSHEET: the XTI table that 3-D references index.
void parse_externsheet(Globals& g, const RecordBody& r) {
    ContinueReader in(r.parts);
    const std::uint16_t count = in.u16();
    if (std::size_t{count} * 6 > in.remaining()) {
        throw io::ReadPastEnd(std::to_string(count) + " XTI entries need " +
                              std::to_string(std::size_t{count} * 6) + " bytes, " +
                              std::to_string(in.remaining()) + " present");
    }
    g.externSheet.reserve(g.externSheet.size() + count);
    for (std::uint16_t i = 0; i < count; ++i) {
        XtiEntry x;
        x.supBook = in.u16();
        x.firstSheet = in.i16();
        x.lastSheet = in.i16();
        g.externSheet.push_back(x);
    }
}

}  // namespace xls::biff::detail
