#include "native/formula/sheet_ref_token.h"

#include <utility>

#include "native/formula/ptg.h"

namespace xls::formula {

namespace {

constexpr std::uint16_t kColumnBits = 0x3FFF;
constexpr std::uint16_t kColRelativeBit = 0x4000;
constexpr std::uint16_t kRowRelativeBit = 0x8000;

struct Corner {
    std::int32_t row;
    std::int32_t col;
    bool rowRelative;
    bool colRelative;
};

std::optional<Corner> readCorner(std::uint16_t row, std::uint16_t colField, const Grid& grid) {
    Corner c{row, 0, (colField & kRowRelativeBit) != 0, (colField & kColRelativeBit) != 0};
    const std::uint16_t col = colField & kColumnBits;
    if (c.colRelative) {
        // A signed 14-bit offset; seen from column A it wraps modulo the
        // grid's width, a power of two.
        c.col = col & grid.lastCol;
    } else {
        if (col > grid.lastCol) return std::nullopt;
        c.col = col;
    }
    return c;
}

SheetRef makeRef(std::uint16_t ixti, Corner first, Corner last, bool singleCell) {
    if (first.row > last.row) {
        std::swap(first.row, last.row);
        std::swap(first.rowRelative, last.rowRelative);
    }
    if (first.col > last.col) {
        std::swap(first.col, last.col);
        std::swap(first.colRelative, last.colRelative);
    }
    SheetRef ref;
    ref.ixti = ixti;
    ref.area = Area{first.row, first.col, last.row, last.col};
    ref.singleCell = singleCell;
    ref.firstRowRelative = first.rowRelative;
    ref.firstColRelative = first.colRelative;
    ref.lastRowRelative = last.rowRelative;
    ref.lastColRelative = last.colRelative;
    return ref;
}

}  // namespace

bool isSheetRefToken(std::uint8_t baseId) {
    return baseId == ptg::kRef3d || baseId == ptg::kArea3d || baseId == ptg::kRefErr3d ||
           baseId == ptg::kAreaErr3d;
}

std::optional<SheetRef> readSheetRef(io::ByteReader& r, std::uint8_t baseId, const Grid& grid) {
    if (!isSheetRefToken(baseId)) return std::nullopt;
    const std::uint16_t ixti = r.u16();
    switch (baseId) {
        case ptg::kRef3d: {
            const std::uint16_t row = r.u16();
            const auto c = readCorner(row, r.u16(), grid);
            if (!c) return std::nullopt;
            return makeRef(ixti, *c, *c, true);
        }
        case ptg::kArea3d: {
            const std::uint16_t rowFirst = r.u16();
            const std::uint16_t rowLast = r.u16();
            const std::uint16_t colFirst = r.u16();
            const std::uint16_t colLast = r.u16();
            const auto first = readCorner(rowFirst, colFirst, grid);
            const auto last = readCorner(rowLast, colLast, grid);
            if (!first || !last) return std::nullopt;
            return makeRef(ixti, *first, *last, false);
        }
        default: {
            // The deleted forms keep the layout of the live ones, but the
            // cells they held are gone, so their numbers mean nothing.
            SheetRef ref;
            ref.ixti = ixti;
            ref.deleted = true;
            ref.singleCell = baseId == ptg::kRefErr3d;
            r.skip(baseId == ptg::kRefErr3d ? 4 : 8);
            return ref;
        }
    }
}

void appendSheetRef(std::vector<std::uint8_t>& out, std::uint16_t ixti, const Area& area,
                    bool singleCell) {
    auto put16 = [&out](std::int32_t v) {
        out.push_back(static_cast<std::uint8_t>(v & 0xFF));
        out.push_back(static_cast<std::uint8_t>((v >> 8) & 0xFF));
    };
    // Room for the token at once: a name's formula is often this token
    // alone, and growing its vector a byte at a time cost more than the
    // rest of compiling it.
    out.reserve(out.size() + (singleCell ? 7 : 11));
    out.push_back(singleCell ? ptg::kRef3d : ptg::kArea3d);
    put16(ixti);
    put16(area.firstRow);
    if (!singleCell) put16(area.lastRow);
    // Absolute: no relative bits in the column words.
    put16(area.firstCol);
    if (!singleCell) put16(area.lastCol);
}

}  // namespace xls::formula
