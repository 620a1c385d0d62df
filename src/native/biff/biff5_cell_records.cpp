#include "native/biff/sheet_records.h"
#include "native/biff/strings.h"
#include "native/io/byte_reader.h"

// The cell records of BIFF5/BIFF7 sheets whose layout differs from BIFF8:
// text as byte strings in the workbook's code page, 16-bit row numbers in
// DIMENSIONS.
namespace xls::biff::detail {

// LABEL (BIFF5): a string cell, 16-bit count and bytes.
void parse_label5(SheetState& s, const RecordBody& r) {
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    const std::uint16_t cch = in.u16();
    std::string text = readByteStringBefore(in, cch, s.globals.codepage, 0);
    s.addCell(row, col, xf, CellType::String).text = std::move(text);
}

// RSTRING (BIFF5): a LABEL followed by a count of formatting runs and the
// runs (two bytes each), which are not kept.
void parse_rstring5(SheetState& s, const RecordBody& r) {
    io::ByteReader in(r.data);
    const std::uint16_t row = in.u16(), col = in.u16(), xf = in.u16();
    const std::uint16_t cch = in.u16();
    const auto rest = r.data.subspan(in.position());
    // The runs end the record, so the text ends where a run count that fits
    // them stands: after cch bytes, or after cch characters.
    auto runsFit = [&](std::size_t textBytes) {
        return textBytes < rest.size() &&
               1 + std::size_t{rest[textBytes]} * 2 == rest.size() - textBytes;
    };
    std::size_t text = cch;
    if (!runsFit(cch)) {
        const std::size_t chars = byteLengthOfCharacters(rest, cch, s.globals.codepage);
        if (runsFit(chars)) text = chars;
    }
    const std::size_t tail = rest.size() > text ? rest.size() - text : 0;
    std::string value = readByteStringBefore(in, cch, s.globals.codepage, tail);
    s.addCell(row, col, xf, CellType::String).text = std::move(value);
}

// STRING (BIFF5): the text result of the FORMULA before it.
void parse_string5(SheetState& s, const RecordBody& r) {
    if (s.pendingString == SheetState::npos) return;
    io::ByteReader in(r.data);
    const std::uint16_t cch = in.u16();
    s.sheet.cells[s.pendingString].text = readByteStringBefore(in, cch, s.globals.codepage, 0);
    s.pendingString = SheetState::npos;
}

// DIMENSIONS (BIFF5): the used range, rows in 16 bits.
void parse_dimensions5(SheetState& s, const RecordBody& r) {
    io::ByteReader in(r.data);
    s.sheet.dimFirstRow = in.u16();
    s.sheet.dimLastRowPlus1 = in.u16();
    s.sheet.dimFirstCol = in.u16();
    s.sheet.dimLastColPlus1 = in.u16();
}

}  // namespace xls::biff::detail
