#include <algorithm>
#include <span>
#include <string>

#include "native/biff/record_ids.h"
#include "native/book/book_error.h"
#include "native/book/cell_block_writer.h"
#include "native/book/hyperlink_record.h"
#include "native/book/layout.h"
#include "native/book/record_writer.h"
#include "native/book/sheet_access.h"
#include "native/book/workbook.h"

namespace xls::book {

namespace {

constexpr std::uint16_t kSelected = 0x0200;  // WINDOW2 fSelected
constexpr std::uint16_t kPaged = 0x0400;     // WINDOW2 fPaged: the sheet on show

// Columns past IV are not in the binary grid: their formats go with them,
// as they would in any .xls the larger grid is saved to (no cell lies
// there: requireBinaryGrid).
void writeColumns(std::vector<std::uint8_t>& out, std::span<const ColumnInfo> all) {
    const auto columns = all.first(
        std::min<std::size_t>(all.size(), static_cast<std::size_t>(formula::kLastCol) + 1));
    for (std::size_t c = 0; c < columns.size();) {
        if (!columns[c].present) {
            ++c;
            continue;
        }
        std::size_t e = c + 1;
        while (e < columns.size() && columns[e] == columns[c]) ++e;
        const ColumnInfo& ci = columns[c];
        ByteWriter w(out);
        w.u16(biff::rec::ColInfo);
        w.u16(12);
        w.u16(static_cast<std::uint16_t>(c));
        w.u16(static_cast<std::uint16_t>(e - 1));
        w.u16(ci.width);
        w.u16(ci.xf);
        w.u16(static_cast<std::uint16_t>((ci.otherFlags & 0xFFFE) | (ci.hidden ? 1 : 0)));
        w.u16(ci.reserved);
        c = e;
    }
}

void writeMerged(std::vector<std::uint8_t>& out, const std::vector<formula::Area>& merged) {
    constexpr std::size_t kPerRecord = 1026;  // (8224 - 2) / 8
    for (std::size_t i = 0; i < merged.size(); i += kPerRecord) {
        const std::size_t n = std::min(kPerRecord, merged.size() - i);
        const std::size_t start = beginRecord(out, biff::rec::MergedCells);
        ByteWriter w(out);
        w.u16(static_cast<std::uint16_t>(n));
        for (std::size_t k = i; k < i + n; ++k) {
            w.u16(static_cast<std::uint16_t>(merged[k].firstRow));
            w.u16(static_cast<std::uint16_t>(merged[k].lastRow));
            w.u16(static_cast<std::uint16_t>(merged[k].firstCol));
            w.u16(static_cast<std::uint16_t>(merged[k].lastCol));
        }
        endRecord(out, start);
    }
}

// A link's record as read, with only its cell range updated.
void writeLinkRecord(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> rec,
                     const formula::Area& area) {
    const std::size_t at = out.size();
    out.insert(out.end(), rec.begin(), rec.end());
    // HLINK starts with the range; HLINKTOOLTIP with its id, then it.
    const std::size_t ref = at + 4 + (rawId(rec) == biff::rec::HLinkTooltip ? 2 : 0);
    if (ref + 8 > out.size()) return;
    patch16(out, ref, static_cast<std::uint16_t>(area.firstRow));
    patch16(out, ref + 2, static_cast<std::uint16_t>(area.lastRow));
    patch16(out, ref + 4, static_cast<std::uint16_t>(area.firstCol));
    patch16(out, ref + 6, static_cast<std::uint16_t>(area.lastCol));
}

void writeHyperlinks(std::vector<std::uint8_t>& out, const StoredLinks& stored,
                     const std::vector<Hyperlink>& links) {
    formula::Area area;
    for (const StoredLinks::Unit& u : stored.units) {
        if (!u.tooltip) area = u.area;
        writeLinkRecord(out, std::span(stored.bytes).subspan(u.offset, u.size), area);
    }
    for (const Hyperlink& h : links) {
        if (h.rawRecords.empty()) {
            writeHyperlinkRecord(out, h);
            continue;
        }
        for (const auto& rec : h.rawRecords) writeLinkRecord(out, rec, h.area);
    }
}

// A selection of the larger grid (a whole column of it) is cut to the
// binary one.
void writeSelection(std::vector<std::uint8_t>& out, std::uint8_t pane, Selection s) {
    s.area.lastRow = std::min(s.area.lastRow, formula::kLastRow);
    s.area.lastCol = std::min(s.area.lastCol, formula::kLastCol);
    ByteWriter w(out);
    w.u16(biff::rec::Selection);
    w.u16(15);
    w.u8(pane);
    w.u16(static_cast<std::uint16_t>(s.activeRow));
    w.u16(s.activeCol);
    w.u16(0);  // irefAct
    w.u16(1);  // cref
    w.u16(static_cast<std::uint16_t>(s.area.firstRow));
    w.u16(static_cast<std::uint16_t>(s.area.lastRow));
    w.u8(static_cast<std::uint8_t>(s.area.firstCol));
    w.u8(static_cast<std::uint8_t>(s.area.lastCol));
}

}  // namespace

std::size_t SheetAccess::sizeHint(const Sheet& sheet) {
    const SheetLayout& layout = *sheet.layout_;
    if (!sheet.isWorksheet()) return layout.substream.size();
    std::size_t size = 4096 + sheet.cells_.size() * 24 + sheet.rows_.size() * 24 +
                       sheet.merged_.size() * 8 + (sheet.cells_.rowEnd() / 32 + 1) * 72;
    for (const SheetItem& item : layout.items) size += item.size;
    // Rows still in the file hold no formulas.
    sheet.cells_.forEachHeld([&](const Cell& c) {
        for (std::size_t i = 0; i < c.rawRecords.size(); ++i) size += c.rawRecords[i].size();
    });
    for (const Hyperlink& h : sheet.hyperlinks_) {
        size +=
            128 + 2 * (h.target.size() + h.display.size() + h.location.size()) + h.target.size();
        for (const auto& rec : h.rawRecords) size += rec.size();
    }
    size += sheet.storedLinks_.bytes.size();
    return size;
}

void SheetAccess::requireBinaryGrid(const Sheet& sheet) {
    const auto fail = [&](const std::string& what) {
        throw BookError("sheet '" + sheet.name_ + "' holds " + what +
                        " past row 65536 or column IV, which a binary workbook cannot hold");
    };
    const auto lastRow = static_cast<std::uint32_t>(formula::kLastRow);
    if (sheet.cells_.rowEnd() > lastRow + 1) fail("cells");
    for (std::uint32_t r = 0; r < sheet.cells_.rowEnd(); ++r) {
        sheet.cells_.visitRow(r, [&](std::span<const Cell> cells) {
            if (!cells.empty() && cells.back().col > formula::kLastCol) fail("cells");
        });
    }
    if (!sheet.rows_.empty() && sheet.rows_.rbegin()->first > lastRow) fail("rows");
    const auto past = [](const formula::Area& a) {
        return a.lastRow > formula::kLastRow || a.lastCol > formula::kLastCol;
    };
    if (std::any_of(sheet.merged_.begin(), sheet.merged_.end(), past)) fail("merged cells");
    if (std::any_of(sheet.hyperlinks_.begin(), sheet.hyperlinks_.end(),
                    [&](const Hyperlink& h) { return past(h.area); }))
        fail("links");
}

void SheetAccess::write(std::vector<std::uint8_t>& out, const Sheet& sheet,
                        const StringTable& strings, bool active) {
    const SheetLayout& layout = *sheet.layout_;
    if (!sheet.isWorksheet()) {
        out.insert(out.end(), layout.substream.begin(), layout.substream.end());
        return;
    }
    if (sheet.book_->grid() != formula::kBinaryGrid) requireBinaryGrid(sheet);
    for (const SheetItem& item : layout.items) {
        const auto raw = layout.raw(item);
        switch (item.slot) {
            case SheetSlot::Raw:
                out.insert(out.end(), raw.begin(), raw.end());
                break;
            case SheetSlot::ColInfo:
                writeColumns(out, sheet.columns_);
                break;
            case SheetSlot::Dimensions:
                writeDimensions(out, sheet.cells_);
                break;
            case SheetSlot::Cells:
                writeCellTable(out, sheet.cells_, sheet.rows_, sheet.defaultRowHeight_, strings);
                break;
            case SheetSlot::Merged:
                writeMerged(out, sheet.merged_);
                break;
            case SheetSlot::Hyperlinks:
                writeHyperlinks(out, sheet.storedLinks_, sheet.hyperlinks_);
                break;
            case SheetSlot::ActiveSelection:
                if (!sheet.selectionChanged_ && !raw.empty())
                    out.insert(out.end(), raw.begin(), raw.end());
                else
                    writeSelection(out, layout.activePane, sheet.selection_);
                break;
            case SheetSlot::Window2: {
                const std::size_t at = out.size();
                out.insert(out.end(), raw.begin(), raw.end());
                if (raw.size() >= 6) {
                    std::uint16_t flags =
                        static_cast<std::uint16_t>(out[at + 4] | (out[at + 5] << 8));
                    flags &= static_cast<std::uint16_t>(~(kSelected | kPaged));
                    if (sheet.tabSelected_ || active) flags |= kSelected;
                    if (active) flags |= kPaged;
                    patch16(out, at + 4, flags);
                }
                break;
            }
        }
    }
}

}  // namespace xls::book
