#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace xls::book {

// Line styles of a cell edge (dg...): 0 none, 1 thin, 2 medium, 3 dashed,
// 4 dotted, 5 thick, 6 double, 7 hair, 8 medium dashed, 9 dash-dot,
// 10 medium dash-dot, 11 dash-dot-dot, 12 medium dash-dot-dot, 13 slanted
// dash-dot.
struct Edge {
    std::uint8_t style = 0;  // 4 bits
    std::uint8_t color = 0;  // palette index, 7 bits (64 = system foreground)

    bool operator==(const Edge&) const = default;
};

// Every field of a BIFF8 XF record: a cell format, or a style format that
// cell formats name as their parent. Parsing the 20-byte record body and
// writing it back gives the same bytes, reserved bits included, so formats
// the model does not touch stay exactly as the file had them.
struct CellStyle {
    std::uint16_t font = 0;          // ifnt; index 4 is never written (see biff::Font)
    std::uint16_t numberFormat = 0;  // ifmt
    bool locked = true;
    bool hidden = false;
    bool isStyle = false;         // a style XF (fStyle)
    bool lotusPrefix = false;     // f123Prefix
    std::uint16_t parent = 0;     // ixfParent: a style XF index, 0xFFF for a style XF
    std::uint8_t horizontal = 0;  // 0 general, 1 left, 2 center, 3 right, 4 fill,
                                  // 5 justify, 6 centre across, 7 distributed
    bool wrap = false;
    std::uint8_t vertical = 2;  // 0 top, 1 center, 2 bottom, 3 justify, 4 distributed
    bool justifyLast = false;   // fJustLast (distributed alignment, East Asian)
    std::uint8_t rotation = 0;  // 0-90 up, 91-180 down (90 + degrees), 255 vertical text
    std::uint8_t indent = 0;    // 0-15
    bool shrinkToFit = false;
    std::uint8_t readingOrder = 0;  // 0 context, 1 left-to-right, 2 right-to-left

    // Which attribute groups this XF sets itself. For a cell XF a set flag
    // means the group differs from the parent style; for a style XF the
    // format stores the opposite sense, kept here as stored.
    bool numberFormatUsed = false;  // fAtrNum
    bool fontUsed = false;          // fAtrFnt
    bool alignmentUsed = false;     // fAtrAlc
    bool borderUsed = false;        // fAtrBdr
    bool fillUsed = false;          // fAtrPat
    bool protectionUsed = false;    // fAtrProt

    Edge left, right, top, bottom;
    bool diagonalDown = false;  // top-left to bottom-right (grbitDiag bit 0)
    bool diagonalUp = false;    // bottom-left to top-right (grbitDiag bit 1)
    Edge diagonal;

    std::uint8_t fillPattern = 0;       // fls: 0 none, 1 solid, 2-18 patterns
    std::uint8_t patternColor = 64;     // icvFore: foreground of the pattern
    std::uint8_t backgroundColor = 65;  // icvBack

    bool hasXfExt = false;     // an XFEXT record extends this XF
    bool pivotButton = false;  // fSxButton
    // Bits the format reserves, kept so a round trip is exact: bit 0 the
    // reserved bit beside fShrinkToFit, bits 1-2 reserved2, bit 3 the top
    // bit of the fill word.
    std::uint8_t reservedBits = 0;

    bool operator==(const CellStyle&) const = default;
};

// Size of an XF record body.
inline constexpr std::size_t kXfSize = 20;

// Reads an XF body; bytes past 20 are ignored. Throws BookError when fewer
// than 20 bytes are given.
CellStyle parseXf(std::span<const std::uint8_t> body);

// The 20-byte XF body. Out-of-range fields (a rotation of 200, an indent of
// 20) are masked to their bit widths.
std::array<std::uint8_t, kXfSize> writeXf(const CellStyle& style);

// The cell XF every workbook has at index 15: "Normal" with nothing of its
// own, as the application writes it.
CellStyle defaultCellStyle();

}  // namespace xls::book
