#include "native/book/cell_block_writer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <span>

#include "native/biff/record_ids.h"
#include "native/book/book_error.h"
#include "native/book/layout.h"
#include "native/book/record_writer.h"
#include "native/book/string_table.h"
#include "native/io/byte_reader.h"

namespace xls::book {

namespace {

constexpr std::uint16_t kRowSize = 4 + 16;

// The RK form of a number when it keeps the exact value: a 30-bit integer,
// or a double whose low 34 bits are zero.
std::optional<std::uint32_t> rkOf(double v) {
    if (std::isfinite(v) && v == std::floor(v) && v >= -536870912.0 && v <= 536870911.0 &&
        !(v == 0 && std::signbit(v))) {
        const auto i = static_cast<std::int32_t>(v);
        return (static_cast<std::uint32_t>(i) << 2) | 2U;
    }
    std::uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    if ((bits & 0x3FFFFFFFFULL) == 0) return static_cast<std::uint32_t>(bits >> 32);
    return std::nullopt;
}

void writeCell(std::vector<std::uint8_t>& out, const Cell& c, const StringTable& strings) {
    ByteWriter w(out);
    auto head = [&](std::uint16_t id, std::uint16_t size) {
        w.u16(id);
        w.u16(size);
        w.u16(c.row);
        w.u16(c.col);
        w.u16(c.xf);
    };
    switch (c.kind) {
        case Cell::Kind::Blank:
            head(biff::rec::Blank, 6);
            return;
        case Cell::Kind::Number:
            if (auto rk = rkOf(c.number)) {
                head(biff::rec::Rk, 10);
                w.u32(*rk);
            } else {
                head(biff::rec::Number, 14);
                w.f64(c.number);
            }
            return;
        case Cell::Kind::Text:
            head(biff::rec::LabelSst, 10);
            w.u32(strings.indexOf(c.text.view()));
            return;
        case Cell::Kind::Boolean:
        case Cell::Kind::Error:
            head(biff::rec::BoolErr, 8);
            w.u8(c.code);
            w.u8(c.kind == Cell::Kind::Error ? 1 : 0);
            return;
        case Cell::Kind::Formula:
            for (std::size_t i = 0; i < c.rawRecords.size(); ++i) {
                const std::size_t at = out.size();
                w.bytes(c.rawRecords[i]);
                if (i == 0 && c.rawRecords[i].size() >= 10) {
                    patch16(out, at + 4, c.row);
                    patch16(out, at + 6, c.col);
                    patch16(out, at + 8, c.xf);
                }
            }
            return;
    }
}

void writeRow(std::vector<std::uint8_t>& out, std::uint16_t row, const RowInfo& info,
              std::uint16_t firstCol, std::uint16_t lastColPlus1) {
    ByteWriter w(out);
    w.u16(biff::rec::Row);
    w.u16(16);
    w.u16(row);
    w.u16(firstCol);
    w.u16(lastColPlus1);
    w.u16(info.height & 0x7FFF);
    w.u32(info.reserved);
    std::uint16_t flags =
        static_cast<std::uint16_t>((info.otherFlags & 0xFF08) | (info.outlineLevel & 0x07));
    if (info.collapsed) flags |= 0x10;
    if (info.hidden) flags |= 0x20;
    if (info.customHeight) flags |= 0x40;
    if (info.hasXf) flags |= 0x80;
    w.u16(flags);
    w.u16(static_cast<std::uint16_t>((info.otherXfFlags & 0xF000) | (info.xf & 0x0FFF)));
}

}  // namespace

void writeCellTable(std::vector<std::uint8_t>& out, const CellTable& cells,
                    const std::map<std::uint32_t, RowInfo>& rows, std::uint16_t defaultRowHeight,
                    const StringTable& strings) {
    RowInfo plain;
    plain.height = defaultRowHeight;

    // Rows that need a ROW record: those with an entry and those with cells.
    std::vector<std::uint16_t> rowList;
    rowList.reserve(rows.size() + 64);
    {
        auto r = rows.begin();
        std::uint32_t c = 0;
        auto nextCellRow = [&] {
            while (c < cells.rowEnd() && !cells.rowHasCells(c)) ++c;
        };
        nextCellRow();
        while (r != rows.end() || c < cells.rowEnd()) {
            std::uint32_t next = 0x10000;
            if (r != rows.end()) next = r->first;
            if (c < cells.rowEnd()) next = std::min<std::uint32_t>(next, c);
            rowList.push_back(static_cast<std::uint16_t>(next));
            if (r != rows.end() && r->first == next) ++r;
            if (c == next) {
                ++c;
                nextCellRow();
            }
        }
    }

    std::vector<std::size_t> cellStarts;
    std::size_t written = 0;
    for (std::size_t b = 0; b < rowList.size();) {
        std::size_t e = b;
        while (e < rowList.size() && rowList[e] / 32 == rowList[b] / 32) ++e;

        const std::size_t firstRowPos = out.size();
        for (std::size_t i = b; i < e; ++i) {
            const std::uint16_t row = rowList[i];
            std::uint16_t firstCol = 0, lastColPlus1 = 0;
            cells.visitRow(row, [&](std::span<const Cell> rowCells) {
                if (rowCells.empty()) return;
                firstCol = rowCells.front().col;
                lastColPlus1 = static_cast<std::uint16_t>(rowCells.back().col + 1);
            });
            auto info = rows.find(row);
            writeRow(out, row, info == rows.end() ? plain : info->second, firstCol, lastColPlus1);
        }

        cellStarts.clear();
        for (std::size_t i = b; i < e; ++i) {
            cellStarts.push_back(out.size());
            cells.visitRow(rowList[i], [&](std::span<const Cell> rowCells) {
                for (const Cell& c : rowCells) writeCell(out, c, strings);
                written += rowCells.size();
            });
        }

        // DBCELL: back to the first ROW, then each row's first cell from the
        // end of the first ROW record and from one row's cells to the next.
        const std::size_t dbcell = beginRecord(out, biff::rec::DbCell);
        ByteWriter w(out);
        w.u32(static_cast<std::uint32_t>(dbcell - firstRowPos));
        std::size_t from = firstRowPos + kRowSize;
        for (std::size_t pos : cellStarts) {
            w.u16(static_cast<std::uint16_t>(std::min<std::size_t>(pos - from, 0xFFFF)));
            from = pos;
        }
        endRecord(out, dbcell);
        b = e;
    }
    if (written != cells.size())
        throw BookError("cell table written without every cell (internal error)");
}

void writeDimensions(std::vector<std::uint8_t>& out, const CellTable& cells) {
    std::uint32_t firstRow = 0, lastRowPlus1 = 0;
    std::uint16_t firstCol = 0, lastColPlus1 = 0;
    if (!cells.empty()) {
        firstRow = 0xFFFFFFFF;
        firstCol = 0xFF;
        cells.forEach([&](const Cell& c) {
            firstRow = std::min<std::uint32_t>(firstRow, c.row);
            lastRowPlus1 = c.row + 1U;
            firstCol = std::min(firstCol, c.col);
            lastColPlus1 =
                std::max<std::uint16_t>(lastColPlus1, static_cast<std::uint16_t>(c.col + 1));
        });
    }
    ByteWriter w(out);
    w.u16(biff::rec::Dimensions);
    w.u16(14);
    w.u32(firstRow);
    w.u32(lastRowPlus1);
    w.u16(firstCol);
    w.u16(lastColPlus1);
    w.u16(0);
}

}  // namespace xls::book
