#include "native/book/blank_stream.h"

#include <array>
#include <initializer_list>

#include "native/biff/record_ids.h"
#include "native/book/cell_style.h"
#include "native/book/layout.h"
#include "native/book/record_writer.h"
#include "native/format/builtin_formats.h"
#include "native/text/unicode.h"

namespace xls::book {

namespace {

void rec(std::vector<std::uint8_t>& out, std::uint16_t id,
         std::initializer_list<std::uint8_t> body) {
    putRecord(out, id, std::vector<std::uint8_t>(body));
}

void rec16(std::vector<std::uint8_t>& out, std::uint16_t id, std::uint16_t v) {
    rec(out, id, {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)});
}

void bof(std::vector<std::uint8_t>& out, std::uint16_t type) {
    // BIFF8, build 9.0 (2002) as the file format's own version marks.
    const std::size_t at = beginRecord(out, biff::rec::Bof);
    ByteWriter w(out);
    w.u16(biff::kBiff8Version);
    w.u16(type);
    w.u16(0x2CA3);  // rupBuild
    w.u16(0x07CD);  // rupYear
    w.u32(0x000080C9);
    w.u32(0x00000206);
    endRecord(out, at);
}

void font(std::vector<std::uint8_t>& out) {
    const std::size_t at = beginRecord(out, biff::rec::Font);
    ByteWriter w(out);
    w.u16(220);     // 11 pt
    w.u16(0);       // grbit
    w.u16(0x7FFF);  // automatic colour
    w.u16(400);     // normal weight
    w.u16(0);       // no script
    w.u8(0);        // no underline
    w.u8(0);        // family
    w.u8(0x80);     // Shift_JIS
    w.u8(0);
    putShortUnicodeString(w, u"ＭＳ Ｐゴシック");
    endRecord(out, at);
}

void format(std::vector<std::uint8_t>& out, std::uint16_t id) {
    const std::size_t at = beginRecord(out, biff::rec::Format);
    ByteWriter w(out);
    w.u16(id);
    putUnicodeString(w, text::utf8ToUtf16(format::builtinFormatCode(id)));
    endRecord(out, at);
}

void xf(std::vector<std::uint8_t>& out, const CellStyle& s) {
    const auto body = writeXf(s);
    putRecord(out, biff::rec::Xf, body);
}

// A style XF. Its attribute flags are stored inverted: set means the
// group is not part of the style.
CellStyle styleXf(std::uint16_t font, std::uint16_t fmt, bool all, bool numberStyle) {
    CellStyle s = defaultCellStyle();
    s.isStyle = true;
    s.parent = 0xFFF;
    s.font = font;
    s.numberFormat = fmt;
    if (all) return s;
    s.alignmentUsed = s.borderUsed = s.fillUsed = s.protectionUsed = true;
    s.numberFormatUsed = !numberStyle;
    s.fontUsed = numberStyle;
    return s;
}

void styleRecord(std::vector<std::uint8_t>& out, std::uint16_t xfIndex, std::uint8_t builtin) {
    const std::uint16_t v = static_cast<std::uint16_t>(0x8000 | xfIndex);
    rec(out, biff::rec::Style,
        {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), builtin, 0xFF});
}

std::size_t boundSheet(std::vector<std::uint8_t>& out, const char16_t* name) {
    const std::size_t at = beginRecord(out, biff::rec::BoundSheet);
    ByteWriter w(out);
    const std::size_t plyPos = out.size();
    w.u32(0);  // lbPlyPos: set once the sheet's place is known
    w.u8(0);   // visible
    w.u8(0);   // worksheet
    putShortUnicodeString(w, name);
    endRecord(out, at);
    return plyPos;
}

}  // namespace

std::vector<std::uint8_t> blankSheetStream(bool selected) {
    std::vector<std::uint8_t> out;
    bof(out, biff::substream::Worksheet);
    rec16(out, biff::rec::CalcMode, 1);  // automatic
    rec16(out, biff::rec::CalcCount, 100);
    rec16(out, biff::rec::RefMode, 1);                                             // A1
    rec16(out, biff::rec::Iteration, 0);                                           // off
    rec(out, biff::rec::Delta, {0xFC, 0xA9, 0xF1, 0xD2, 0x4D, 0x62, 0x50, 0x3F});  // 0.001
    rec16(out, biff::rec::SaveRecalc, 1);
    rec16(out, biff::rec::PrintHeaders, 0);
    rec16(out, biff::rec::PrintGridlines, 0);
    rec16(out, biff::rec::GridSet, 1);
    rec(out, biff::rec::Guts, {0, 0, 0, 0, 0, 0, 0, 0});
    rec(out, biff::rec::DefaultRowHeight, {0, 0, 0x0E, 0x01});  // 270 twips
    rec16(out, biff::rec::WsBool, 0x04C1);
    putRecord(out, biff::rec::Header, {});
    putRecord(out, biff::rec::Footer, {});
    rec16(out, biff::rec::HCenter, 0);
    rec16(out, biff::rec::VCenter, 0);
    // SETUP: A4 portrait, 100 %, 300 dpi, margins 0.3 inch.
    rec(out, biff::rec::Setup,
        {0x09, 0,    0x64, 0,    0x01, 0,    0x01, 0,    0x01, 0,    0x04, 0,
         0x2C, 0x01, 0x2C, 0x01, 0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0xD3, 0x3F,
         0x33, 0x33, 0x33, 0x33, 0x33, 0x33, 0xD3, 0x3F, 0x01, 0});
    rec16(out, biff::rec::DefColWidth, 8);
    rec(out, biff::rec::Dimensions, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    // WINDOW2: gridlines, headings, zeros, automatic grid colour, outline
    // symbols; selected and on show for the active sheet.
    const std::uint16_t flags = selected ? 0x06B6 : 0x00B6;
    rec(out, biff::rec::Window2,
        {static_cast<std::uint8_t>(flags), static_cast<std::uint8_t>(flags >> 8), 0, 0, 0, 0, 0x40,
         0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    rec(out, biff::rec::Selection, {3, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});
    putRecord(out, biff::rec::Eof, {});
    return out;
}

std::vector<std::uint8_t> blankWorkbookStream() {
    std::vector<std::uint8_t> out;
    bof(out, biff::substream::Globals);
    rec16(out, biff::rec::InterfaceHdr, 1200);
    rec16(out, biff::rec::Mms, 0);
    putRecord(out, biff::rec::InterfaceEnd, {});
    {
        // WRITEACCESS: the user name, padded with blanks to 112 bytes.
        std::vector<std::uint8_t> body;
        ByteWriter w(body);
        putUnicodeString(w, u"");
        body.resize(112, 0x20);
        putRecord(out, biff::rec::WriteAccess, body);
    }
    rec16(out, biff::rec::CodePage, 1200);
    rec16(out, biff::rec::Dsf, 0);
    rec(out, biff::rec::TabId, {1, 0, 2, 0, 3, 0});
    rec16(out, biff::rec::FnGroupCount, 14);
    rec16(out, biff::rec::WindowProtect, 0);
    rec16(out, biff::rec::Protect, 0);
    rec16(out, biff::rec::Password, 0);
    rec16(out, biff::rec::Prot4Rev, 0);
    rec16(out, biff::rec::Prot4RevPass, 0);
    rec(out, biff::rec::Window1,
        {0x78, 0, 0x1E, 0, 0xC7, 0x38, 0x3F, 0x2A, 0x38, 0, 0, 0, 0, 0, 1, 0, 0x58, 0x02});
    rec16(out, biff::rec::Backup, 0);
    rec16(out, biff::rec::HideObj, 0);
    rec16(out, biff::rec::DateMode, 0);
    rec16(out, biff::rec::Precision, 1);
    rec16(out, biff::rec::RefreshAll, 0);
    rec16(out, biff::rec::BookBool, 0);
    for (int i = 0; i < 5; ++i) font(out);
    for (std::uint16_t id : {5, 6, 7, 8, 42, 41, 44, 43}) format(out, id);
    xf(out, styleXf(0, 0, true, false));
    // Styles 1-14: the outline level styles, fonts 1 and 2 for the first
    // four.
    for (int i = 1; i <= 14; ++i)
        xf(out, styleXf(static_cast<std::uint16_t>(i <= 2 ? 1 : i <= 4 ? 2 : 0), 0, false, false));
    xf(out, defaultCellStyle());
    // The number styles: Comma, Comma [0], Currency, Currency [0], Percent.
    for (std::uint16_t fmt : {43, 41, 44, 42, 9}) xf(out, styleXf(1, fmt, false, true));
    styleRecord(out, 16, 3);
    styleRecord(out, 17, 6);
    styleRecord(out, 18, 4);
    styleRecord(out, 19, 7);
    styleRecord(out, 0, 0);
    styleRecord(out, 20, 5);
    rec16(out, biff::rec::UsesElfs, 1);
    const std::array<std::size_t, 3> plyPos{boundSheet(out, u"Sheet1"), boundSheet(out, u"Sheet2"),
                                            boundSheet(out, u"Sheet3")};
    rec(out, biff::rec::Country, {0x51, 0, 0x51, 0});  // Japan
    rec(out, biff::rec::Sst, {0, 0, 0, 0, 0, 0, 0, 0});
    rec(out, biff::rec::ExtSst, {8, 0});
    putRecord(out, biff::rec::Eof, {});
    for (std::size_t i = 0; i < 3; ++i) {
        patch32(out, plyPos[i], static_cast<std::uint32_t>(out.size()));
        auto sheet = blankSheetStream(i == 0);
        out.insert(out.end(), sheet.begin(), sheet.end());
    }
    return out;
}

}  // namespace xls::book
