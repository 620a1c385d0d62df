#include "native/biff/globals_records.h"
#include "native/biff/strings.h"
#include "native/io/byte_reader.h"

namespace xls::biff::detail {

Font readFontFields(io::ByteReader& in) {
    Font f;
    f.height = in.u16();
    const std::uint16_t flags = in.u16();
    f.italic = (flags & 0x0002) != 0;
    f.strikeout = (flags & 0x0008) != 0;
    f.color = in.u16();
    f.weight = in.u16();
    f.script = in.u16();
    f.underline = in.u8();
    f.family = in.u8();
    f.charset = in.u8();
    in.skip(1);
    return f;
}

// FONT: size, style, colour and face name of one font.
void parse_font(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    Font f = readFontFields(in);
    f.name = readShortUnicodeString(in);
    g.fonts.push_back(std::move(f));
}

// FORMAT: a number format code and the ifmt that XF records use for it.
void parse_format(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    const std::uint16_t ifmt = in.u16();
    g.formats[ifmt] = readUnicodeString(in);
}

// XF: the font, number format and parent style of a cell or style format;
// the alignment, border and fill fields that follow stay in the record.
void parse_xf(Globals& g, const RecordBody& r) {
    io::ByteReader in(r.data);
    Xf x;
    x.font = in.u16();
    x.format = in.u16();
    const std::uint16_t flags = in.u16();
    x.locked = (flags & 0x0001) != 0;
    x.hidden = (flags & 0x0002) != 0;
    x.isStyle = (flags & 0x0004) != 0;
    x.parent = static_cast<std::uint16_t>(flags >> 4);
    g.xfs.push_back(x);
}

}  // namespace xls::biff::detail
