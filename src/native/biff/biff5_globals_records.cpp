#include <cstdio>

#include "native/biff/continue_reader.h"
#include "native/biff/globals_records.h"
#include "native/biff/strings.h"
#include "native/io/byte_reader.h"

// The globals records of BIFF5/BIFF7 streams whose layout differs from
// BIFF8: their strings are byte strings in the workbook's code page.
namespace xls::biff::detail {

namespace {

std::size_t byteWidth(std::uint16_t codepage) {
    return codepage == kUtf16Codepage ? 2 : 1;
}

}  // namespace

// BOUNDSHEET (BIFF5): as in BIFF8 but for the byte-string name.
void parse_boundsheet5(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    SheetEntry s;
    s.bofOffset = in.u32();
    s.visibility = static_cast<Visibility>(in.u8() & 0x03);
    s.kind = static_cast<SheetKind>(in.u8());
    const std::uint8_t cch = in.u8();
    s.name = readByteStringBefore(in, cch, g.codepage, 0);
    g.sheets.push_back(std::move(s));
}

// FONT (BIFF5): as in BIFF8 but for the byte-string face name.
void parse_font5(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    Font f = readFontFields(in);
    const std::uint8_t cch = in.u8();
    f.name = readByteStringBefore(in, cch, g.codepage, 0);
    g.fonts.push_back(std::move(f));
}

// FORMAT (BIFF5): ifmt and a byte-string format code.
void parse_format5(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    const std::uint16_t ifmt = in.u16();
    const std::uint8_t cch = in.u8();
    g.formats[ifmt] = readByteStringBefore(in, cch, g.codepage, 0);
}

// NAME (BIFF5): the BIFF8 fields with a byte-string name. The tokens are
// kept as stored here and rewritten once all names are read, as a tName
// may point at a name that comes later.
void parse_name5(Globals& g, const RecordBody& r) {
    ContinueReader in(r.parts);
    auto [n, cch, cce] = readNameHead(in);
    if (n.builtin) {
        if (cch == 0) throw io::ReadPastEnd("built-in name without its number");
        n.name = builtinName(in.u8());
        in.skip((cch - 1u) * byteWidth(g.codepage));
    } else {
        std::vector<std::uint8_t> bytes;
        in.appendBytes(cch * byteWidth(g.codepage), bytes);
        n.name = byteStringToUtf8(bytes, g.codepage);
    }
    in.appendBytes(cce, n.rgce);
    g.names.push_back(std::move(n));
}

}  // namespace xls::biff::detail
