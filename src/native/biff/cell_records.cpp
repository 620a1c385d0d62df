#include <cstring>

#include "native/biff/biff_error.h"
#include "native/biff/continue_reader.h"
#include "native/biff/hyperlink.h"
#include "native/biff/record_reader.h"
#include "native/biff/sheet_records.h"
#include "native/biff/strings.h"
#include "native/io/byte_reader.h"

namespace xls::biff {

double decodeRk(std::uint32_t rk) {
    double v;
    if (rk & 0x02) {
        v = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
    } else {
        const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100 : v;
}

namespace detail {

Cell& SheetState::addCell(std::uint16_t row, std::uint16_t col, std::uint16_t xf, CellType type) {
    if (!sheet.cells.empty()) {
        const Cell& last = sheet.cells.back();
        if (row < last.row || (row == last.row && col <= last.col)) inOrder = false;
    }
    pendingString = npos;
    Cell& c = sheet.cells.emplace_back();
    c.row = row;
    c.col = col;
    c.xf = xf;
    c.type = type;
    return c;
}

// Cell records have fixed sizes; a different one means the record is not
// what its id says.
void expectSize(const RecordBody& r, std::size_t size) {
    if (r.data.size() != size) {
        throw BiffError(recordLabel(r.id, r.offset) + ": size " + std::to_string(r.data.size()) +
                        ", expected " + std::to_string(size));
    }
}

// MULRK and MULBLANK: the column range must match the number of entries.
std::size_t runLength(const RecordBody& r, std::size_t entrySize) {
    if (r.data.size() < 6 || (r.data.size() - 6) % entrySize != 0) {
        throw BiffError(recordLabel(r.id, r.offset) + ": size " + std::to_string(r.data.size()) +
                        " is not 6 plus a multiple of " + std::to_string(entrySize));
    }
    const std::size_t n = (r.data.size() - 6) / entrySize;
    const std::uint16_t first = io::le16(r.data.data() + 2);
    const std::uint16_t last = io::le16(r.data.data() + r.data.size() - 2);
    if (n == 0 || std::size_t{first} + n - 1 != last) {
        throw BiffError(recordLabel(r.id, r.offset) + ": columns " + std::to_string(first) +
                        " to " + std::to_string(last) + " do not match its " + std::to_string(n) +
                        " entries");
    }
    return n;
}

// FORMULA: only the cached result is read here; the tokens stay in the
// record for the formula layer.
void parse_formula(SheetState& s, const RecordBody& r) {
    if (r.data.size() < 22) expectSize(r, 22);
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    const auto val = in.bytes(8);
    Cell* c;
    if (val[6] == 0xFF && val[7] == 0xFF) {
        switch (val[0]) {
            case 0:  // the text follows in a STRING record
                c = &s.addCell(row, col, xf, CellType::String);
                s.pendingString = s.sheet.cells.size() - 1;
                break;
            case 1:
                c = &s.addCell(row, col, xf, CellType::Boolean);
                c->code = val[2];
                break;
            case 2:
                c = &s.addCell(row, col, xf, CellType::Error);
                c->code = val[2];
                break;
            case 3:
                c = &s.addCell(row, col, xf, CellType::String);
                break;
            default:
                c = &s.addCell(row, col, xf, CellType::Blank);
                break;
        }
    } else {
        c = &s.addCell(row, col, xf, CellType::Number);
        io::ByteReader v(val);
        c->number = v.f64();
    }
    c->fromFormula = true;
}

// STRING: the text result of the FORMULA before it.
void parse_string(SheetState& s, const RecordBody& r) {
    if (s.pendingString == SheetState::npos) return;
    ContinueReader in(r.parts);
    s.sheet.cells[s.pendingString].text = in.unicodeString();
    s.pendingString = SheetState::npos;
}

// COLINFO: width, format and state of a column range.
void parse_colinfo(SheetState& s, const RecordBody& r) {
    io::ByteReader in(r.data);
    ColInfo c;
    c.firstCol = in.u16();
    c.lastCol = in.u16();
    c.width = in.u16();
    c.xf = in.u16();
    const std::uint16_t flags = in.u16();
    c.hidden = (flags & 0x0001) != 0;
    c.outlineLevel = static_cast<std::uint8_t>((flags >> 8) & 0x07);
    s.sheet.columns.push_back(c);
}

// MULRK: RK numbers for a run of cells in one row.
void parse_mulrk(SheetState& s, const RecordBody& r) {
    const std::size_t n = runLength(r, 6);
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), first = in.u16();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint16_t xf = in.u16();
        s.addCell(row, static_cast<std::uint16_t>(first + i), xf, CellType::Number).number =
            decodeRk(in.u32());
    }
}

// MULBLANK: formatted empty cells for a run in one row.
void parse_mulblank(SheetState& s, const RecordBody& r) {
    const std::size_t n = runLength(r, 2);
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), first = in.u16();
    for (std::size_t i = 0; i < n; ++i)
        s.addCell(row, static_cast<std::uint16_t>(first + i), in.u16(), CellType::Blank);
}

// RSTRING: a string cell with formatting runs, which are not kept.
void parse_rstring(SheetState& s, const RecordBody& r) {
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    std::string text = readUnicodeString(in);
    s.addCell(row, col, xf, CellType::String).text = std::move(text);
}

// LABEL: a string cell with its text in the record.
void parse_label(SheetState& s, const RecordBody& r) {
    parse_rstring(s, r);
}

// LABELSST: a string cell whose text is in the shared string table. An
// index past the table (a damaged or cut-short table) gives empty text.
void parse_labelsst(SheetState& s, const RecordBody& r) {
    expectSize(r, 10);
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    const std::uint32_t index = in.u32();
    Cell& c = s.addCell(row, col, xf, CellType::String);
    if (index < s.globals.sst.size()) {
        c.text = std::string(s.globals.sst[index]);
    } else if (s.badSstCount++ == 0) {
        s.firstBadSstOffset = r.offset;
        s.firstBadSstIndex = index;
    }
}

// HLINK: a hyperlink; one this reader cannot follow is left out with a
// warning rather than failing the sheet.
void parse_hlink(SheetState& s, const RecordBody& r) {
    // A file link's 8-bit path is in the writing system's ANSI code page,
    // which a BIFF8 file (code page 1200) does not record; the Japanese one
    // reads ASCII paths the same and is the likeliest for the rest. Paths
    // beyond ASCII normally come with a UTF-16 copy, which wins.
    const std::uint16_t ansi = s.globals.codepage == 1200 ? 932 : s.globals.codepage;
    if (auto h = readHyperlink(r.data, ansi)) {
        s.sheet.hyperlinks.push_back(std::move(*h));
    } else {
        s.sheet.warnings.push_back(recordLabel(r.id, r.offset) +
                                   ": hyperlink of a kind not read, or damaged; left out");
    }
}

// DIMENSIONS: the used range as the writer saw it.
void parse_dimensions(SheetState& s, const RecordBody& r) {
    io::ByteReader in(r.data);
    s.sheet.dimFirstRow = in.u32();
    s.sheet.dimLastRowPlus1 = in.u32();
    s.sheet.dimFirstCol = in.u16();
    s.sheet.dimLastColPlus1 = in.u16();
}

// BLANK: a formatted empty cell.
void parse_blank(SheetState& s, const RecordBody& r) {
    expectSize(r, 6);
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    s.addCell(row, col, xf, CellType::Blank);
}

// NUMBER: a cell holding a double.
void parse_number(SheetState& s, const RecordBody& r) {
    expectSize(r, 14);
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    s.addCell(row, col, xf, CellType::Number).number = in.f64();
}

// BOOLERR: a boolean or error constant cell.
void parse_boolerr(SheetState& s, const RecordBody& r) {
    expectSize(r, 8);
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    const std::uint8_t value = in.u8();
    const bool isError = in.u8() != 0;
    s.addCell(row, col, xf, isError ? CellType::Error : CellType::Boolean).code = value;
}

// ROW: height, format and state of one row.
void parse_row(SheetState& s, const RecordBody& r) {
    io::ByteReader in(r.data);
    RowInfo ri;
    ri.row = in.u16();
    ri.firstCol = in.u16();
    ri.lastColPlus1 = in.u16();
    ri.height = in.u16() & 0x7FFF;
    in.skip(4);  // reserved, unused
    const std::uint8_t flags = in.u8();
    in.skip(1);
    const std::uint16_t xfField = in.u16();
    ri.outlineLevel = flags & 0x07;
    ri.hidden = (flags & 0x20) != 0;
    ri.customHeight = (flags & 0x40) != 0;
    ri.hasXf = (flags & 0x80) != 0;
    ri.xf = xfField & 0x0FFF;
    s.sheet.rows.push_back(ri);
}

// RK: a cell holding a number in the compact RK form.
void parse_rk(SheetState& s, const RecordBody& r) {
    expectSize(r, 10);
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    s.addCell(row, col, xf, CellType::Number).number = decodeRk(in.u32());
}

}  // namespace detail
}  // namespace xls::biff
