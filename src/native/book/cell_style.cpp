#include "native/book/cell_style.h"

#include <string>

#include "native/book/book_error.h"
#include "native/io/byte_reader.h"

namespace xls::book {

namespace {

constexpr bool bit(std::uint32_t v, int n) {
    return ((v >> n) & 1U) != 0;
}
constexpr std::uint32_t field(std::uint32_t v, int shift, int width) {
    return (v >> shift) & ((1U << width) - 1);
}
constexpr std::uint32_t put(std::uint32_t v, int shift, int width) {
    return (v & ((1U << width) - 1)) << shift;
}

}  // namespace

CellStyle parseXf(std::span<const std::uint8_t> body) {
    if (body.size() < kXfSize)
        throw BookError("XF record of " + std::to_string(body.size()) + " bytes, 20 expected");
    io::ByteReader in(body.first(kXfSize));
    CellStyle s;
    s.font = in.u16();
    s.numberFormat = in.u16();
    const std::uint16_t type = in.u16();
    s.locked = bit(type, 0);
    s.hidden = bit(type, 1);
    s.isStyle = bit(type, 2);
    s.lotusPrefix = bit(type, 3);
    s.parent = static_cast<std::uint16_t>(type >> 4);

    const std::uint8_t align = in.u8();
    s.horizontal = static_cast<std::uint8_t>(field(align, 0, 3));
    s.wrap = bit(align, 3);
    s.vertical = static_cast<std::uint8_t>(field(align, 4, 3));
    s.justifyLast = bit(align, 7);
    s.rotation = in.u8();
    const std::uint8_t indent = in.u8();
    s.indent = static_cast<std::uint8_t>(field(indent, 0, 4));
    s.shrinkToFit = bit(indent, 4);
    s.reservedBits = static_cast<std::uint8_t>(field(indent, 5, 1));
    s.readingOrder = static_cast<std::uint8_t>(field(indent, 6, 2));
    const std::uint8_t used = in.u8();
    s.reservedBits |= static_cast<std::uint8_t>(field(used, 0, 2) << 1);
    s.numberFormatUsed = bit(used, 2);
    s.fontUsed = bit(used, 3);
    s.alignmentUsed = bit(used, 4);
    s.borderUsed = bit(used, 5);
    s.fillUsed = bit(used, 6);
    s.protectionUsed = bit(used, 7);

    const std::uint32_t b1 = in.u32();
    s.left.style = static_cast<std::uint8_t>(field(b1, 0, 4));
    s.right.style = static_cast<std::uint8_t>(field(b1, 4, 4));
    s.top.style = static_cast<std::uint8_t>(field(b1, 8, 4));
    s.bottom.style = static_cast<std::uint8_t>(field(b1, 12, 4));
    s.left.color = static_cast<std::uint8_t>(field(b1, 16, 7));
    s.right.color = static_cast<std::uint8_t>(field(b1, 23, 7));
    s.diagonalDown = bit(b1, 30);
    s.diagonalUp = bit(b1, 31);
    const std::uint32_t b2 = in.u32();
    s.top.color = static_cast<std::uint8_t>(field(b2, 0, 7));
    s.bottom.color = static_cast<std::uint8_t>(field(b2, 7, 7));
    s.diagonal.color = static_cast<std::uint8_t>(field(b2, 14, 7));
    s.diagonal.style = static_cast<std::uint8_t>(field(b2, 21, 4));
    s.hasXfExt = bit(b2, 25);
    s.fillPattern = static_cast<std::uint8_t>(field(b2, 26, 6));
    const std::uint16_t fill = in.u16();
    s.patternColor = static_cast<std::uint8_t>(field(fill, 0, 7));
    s.backgroundColor = static_cast<std::uint8_t>(field(fill, 7, 7));
    s.pivotButton = bit(fill, 14);
    s.reservedBits |= static_cast<std::uint8_t>(field(fill, 15, 1) << 3);
    return s;
}

std::array<std::uint8_t, kXfSize> writeXf(const CellStyle& s) {
    std::array<std::uint8_t, kXfSize> out{};
    auto at16 = [&](std::size_t i, std::uint32_t v) {
        out[i] = static_cast<std::uint8_t>(v);
        out[i + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    auto at32 = [&](std::size_t i, std::uint32_t v) {
        at16(i, v & 0xFFFF);
        at16(i + 2, v >> 16);
    };
    at16(0, s.font);
    at16(2, s.numberFormat);
    at16(4, put(s.locked, 0, 1) | put(s.hidden, 1, 1) | put(s.isStyle, 2, 1) |
                put(s.lotusPrefix, 3, 1) | put(s.parent, 4, 12));
    out[6] = static_cast<std::uint8_t>(put(s.horizontal, 0, 3) | put(s.wrap, 3, 1) |
                                       put(s.vertical, 4, 3) | put(s.justifyLast, 7, 1));
    out[7] = s.rotation;
    out[8] = static_cast<std::uint8_t>(put(s.indent, 0, 4) | put(s.shrinkToFit, 4, 1) |
                                       put(s.reservedBits, 5, 1) | put(s.readingOrder, 6, 2));
    out[9] = static_cast<std::uint8_t>(put(s.reservedBits >> 1, 0, 2) |
                                       put(s.numberFormatUsed, 2, 1) | put(s.fontUsed, 3, 1) |
                                       put(s.alignmentUsed, 4, 1) | put(s.borderUsed, 5, 1) |
                                       put(s.fillUsed, 6, 1) | put(s.protectionUsed, 7, 1));
    at32(10, put(s.left.style, 0, 4) | put(s.right.style, 4, 4) | put(s.top.style, 8, 4) |
                 put(s.bottom.style, 12, 4) | put(s.left.color, 16, 7) | put(s.right.color, 23, 7) |
                 put(s.diagonalDown, 30, 1) | put(s.diagonalUp, 31, 1));
    at32(14, put(s.top.color, 0, 7) | put(s.bottom.color, 7, 7) | put(s.diagonal.color, 14, 7) |
                 put(s.diagonal.style, 21, 4) | put(s.hasXfExt, 25, 1) | put(s.fillPattern, 26, 6));
    at16(18, put(s.patternColor, 0, 7) | put(s.backgroundColor, 7, 7) | put(s.pivotButton, 14, 1) |
                 put(s.reservedBits >> 3, 15, 1));
    return out;
}

CellStyle defaultCellStyle() {
    CellStyle s;
    s.locked = true;
    s.parent = 0;
    s.vertical = 2;
    s.patternColor = 64;
    s.backgroundColor = 65;
    return s;
}

}  // namespace xls::book
