#include <algorithm>

#include "native/biff/biff_error.h"
#include "native/biff/cell_index.h"
#include "native/biff/record_ids.h"
#include "native/biff/worksheet.h"
#include "native/book/book_error.h"
#include "native/book/layout.h"
#include "native/book/raw_units.h"
#include "native/book/record_writer.h"
#include "native/book/sheet_access.h"
#include "native/io/byte_reader.h"

namespace xls::book {

namespace {

bool isCellRecord(std::uint16_t id) {
    switch (id) {
        case biff::rec::Formula:
        case biff::rec::Number:
        case biff::rec::Rk:
        case biff::rec::MulRk:
        case biff::rec::Label:
        case biff::rec::LabelSst:
        case biff::rec::RString:
        case biff::rec::BoolErr:
        case biff::rec::Blank:
        case biff::rec::MulBlank:
            return true;
        default:
            return false;
    }
}

bool belongsToFormula(std::uint16_t id) {
    return id == biff::rec::String || id == biff::rec::ShrFmla || id == biff::rec::Array ||
           id == biff::rec::Table;
}

Cell::Kind kindOf(biff::CellType t) {
    switch (t) {
        case biff::CellType::Number:
            return Cell::Kind::Number;
        case biff::CellType::String:
            return Cell::Kind::Text;
        case biff::CellType::Boolean:
            return Cell::Kind::Boolean;
        case biff::CellType::Error:
            return Cell::Kind::Error;
        case biff::CellType::Blank:
            break;
    }
    return Cell::Kind::Blank;
}

Cell cellFrom(biff::Cell&& c) {
    Cell out;
    out.row = c.row;
    out.col = c.col;
    out.xf = c.xf;
    out.number = c.number;
    out.code = c.code;
    out.text = std::move(c.text);
    if (c.fromFormula) {
        out.kind = Cell::Kind::Formula;
        out.result = kindOf(c.type);
    } else {
        out.kind = kindOf(c.type);
    }
    return out;
}

std::size_t indexOfSlot(const std::vector<SheetItem>& items, SheetSlot slot) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].slot == slot) return i;
    return items.size();
}

std::size_t indexOfId(const SheetLayout& layout, std::uint16_t id) {
    const auto& items = layout.items;
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].slot == SheetSlot::Raw && items[i].size >= 4 &&
            rawId(layout.raw(items[i])) == id)
            return i;
    return items.size();
}

void insertSlot(std::vector<SheetItem>& items, std::size_t at, SheetSlot slot) {
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min(at, items.size())),
                 SheetItem{slot, 0, 0});
}

// Puts the groups a sheet lacked where the application writes them.
void addMissingSlots(SheetLayout& layout) {
    auto& items = layout.items;
    const std::size_t end = items.empty() ? 0 : items.size() - 1;  // before EOF
    auto window2 = indexOfSlot(items, SheetSlot::Window2);
    if (indexOfSlot(items, SheetSlot::Dimensions) == items.size()) {
        auto cells = indexOfSlot(items, SheetSlot::Cells);
        insertSlot(items, std::min({cells, window2, end}), SheetSlot::Dimensions);
    }
    if (indexOfSlot(items, SheetSlot::Cells) == items.size())
        insertSlot(items, indexOfSlot(items, SheetSlot::Dimensions) + 1, SheetSlot::Cells);
    if (indexOfSlot(items, SheetSlot::ColInfo) == items.size())
        insertSlot(items, indexOfSlot(items, SheetSlot::Dimensions), SheetSlot::ColInfo);
    // The view records follow WINDOW2: SCL, PANE, then the selections.
    window2 = indexOfSlot(items, SheetSlot::Window2);
    std::size_t afterView = window2 == items.size() ? items.size() - 1 : window2 + 1;
    while (afterView + 1 < items.size()) {
        const auto& it = items[afterView];
        const bool view =
            it.slot == SheetSlot::ActiveSelection ||
            (it.slot == SheetSlot::Raw &&
             (rawId(layout.raw(it)) == biff::rec::Scl || rawId(layout.raw(it)) == biff::rec::Pane ||
              rawId(layout.raw(it)) == biff::rec::Selection));
        if (!view) break;
        ++afterView;
    }
    if (indexOfSlot(items, SheetSlot::ActiveSelection) == items.size()) {
        insertSlot(items, afterView, SheetSlot::ActiveSelection);
        ++afterView;
    }
    if (indexOfSlot(items, SheetSlot::Merged) == items.size()) {
        insertSlot(items, afterView, SheetSlot::Merged);
    }
    if (indexOfSlot(items, SheetSlot::Hyperlinks) == items.size()) {
        const std::size_t dval = indexOfId(layout, biff::rec::DVal);
        insertSlot(items, std::min(dval, items.size() - 1), SheetSlot::Hyperlinks);
    }
}

formula::Area ref8(std::span<const std::uint8_t> b) {
    return {io::le16(b.data()), io::le16(b.data() + 4), io::le16(b.data() + 2),
            io::le16(b.data() + 6)};
}

void readSelection(std::span<const std::uint8_t> unit, Selection& sel) {
    io::ByteReader in(bodyOf(unit));
    in.skip(1);
    sel.activeRow = in.u16();
    sel.activeCol = in.u16();
    const std::uint16_t iref = in.u16();
    const std::uint16_t count = in.u16();
    const auto row = static_cast<std::int32_t>(sel.activeRow);
    sel.area = {row, sel.activeCol, row, sel.activeCol};
    for (std::uint16_t i = 0; i < count && in.remaining() >= 6; ++i) {
        formula::Area a;
        a.firstRow = in.u16();
        a.lastRow = in.u16();
        a.firstCol = in.u8();
        a.lastCol = in.u8();
        if (i == iref) sel.area = a;
    }
}

// Calls unit with each record of the worksheet and the CONTINUE records
// after it, one span of the stream, in order.
template <typename F>
void forEachUnit(std::span<const std::uint8_t> stream, const biff::Globals& globals,
                 std::size_t index, F&& unit) {
    std::optional<biff::RecordRef> first;
    std::size_t end = 0;
    auto flush = [&] {
        if (first) unit(first->id, stream.subspan(first->offset, end - first->offset));
    };
    biff::visitSheetRecords(stream, globals, index, [&](const biff::RecordRef& r) {
        const std::size_t after = std::size_t{r.offset} + 4 + r.size;
        if (r.id == biff::rec::Continue && first && r.offset == end) {
            end = after;
            return;
        }
        flush();
        first = r;
        end = after;
    });
    flush();
}

// Records a writer looks for among the raw ones, or that bound what it
// looks through: each stays an item of its own.
bool standsAlone(std::uint16_t id) {
    return id == biff::rec::Bof || id == biff::rec::Eof || id == biff::rec::Scl ||
           id == biff::rec::Pane || id == biff::rec::Selection || id == biff::rec::DVal;
}

// The rows of a loaded sheet, read from its records when first asked for.
class IndexedRows : public RowSource {
  public:
    IndexedRows(std::shared_ptr<const LoadedBook> loaded, biff::CellIndex index)
        : loaded_(std::move(loaded)), index_(std::move(index)) {}

    const biff::CellIndex& index() const { return index_; }

    std::optional<Cell> cellAt(std::uint32_t row, std::uint32_t col) const override {
        auto c = index_.find(static_cast<std::uint16_t>(row), static_cast<std::uint16_t>(col));
        if (!c) return std::nullopt;
        return cellFrom(std::move(*c));
    }

    std::vector<Cell> cellsOf(std::uint32_t row) const override {
        std::vector<Cell> cells;
        for (biff::Cell& c : index_.row(static_cast<std::uint16_t>(row)))
            cells.push_back(cellFrom(std::move(c)));
        return cells;
    }

    std::size_t heldBytes() const override { return loaded_ ? loaded_->stream.size() : 0; }

  private:
    std::shared_ptr<const LoadedBook> loaded_;  // what the index views
    biff::CellIndex index_;
};

}  // namespace

std::span<const std::uint8_t> SheetLayout::bytes() const {
    if (held) return held->stream;
    return copied;
}

std::unique_ptr<Sheet> SheetAccess::load(const Workbook& book, std::span<const std::uint8_t> stream,
                                         const biff::Globals& globals, std::size_t index,
                                         std::shared_ptr<const LoadedBook> loaded) {
    const biff::SheetEntry& entry = globals.sheets[index];
    std::unique_ptr<Sheet> sheet(new Sheet(book));
    sheet->name_ = entry.name;
    sheet->kind_ = entry.kind;
    sheet->visibility_ = entry.visibility;
    SheetLayout& layout = *sheet->layout_;
    {
        // The raw state byte keeps reserved bits; the reader masks them.
        // BOUNDSHEET: lbPlyPos u32, hsState u8, dt u8.
        std::size_t n = 0;
        for (const auto& r : globals.records) {
            if (r.id != biff::rec::BoundSheet) continue;
            if (n++ == index && r.size >= 6) {
                layout.hsState = stream[r.offset + 8];
                layout.dt = stream[r.offset + 9];
            }
        }
    }

    std::vector<std::pair<std::uint32_t, std::uint16_t>> pending;  // row, cells
    std::shared_ptr<const RowSource> source;
    if (!sheet->isWorksheet()) {
        for (const auto& r : biff::parseWorksheet(stream, globals, index).records) {
            auto bytes = stream.subspan(r.offset, std::size_t{r.size} + 4);
            layout.substream.insert(layout.substream.end(), bytes.begin(), bytes.end());
        }
        return sheet;
    }
    {
        // The cells come row by row from an index of the sheet's records, so
        // that a long list is not parsed whole beside the model that holds
        // it. A row without formulas stays in the stream until something
        // asks for it: an update deletes the old rows of a list unread.
        auto rows = std::make_shared<IndexedRows>(
            loaded, biff::CellIndex::build(stream, globals, index, true));
        for (std::uint32_t r = 0; r < rows->index().rowLimit(); ++r) {
            std::vector<biff::Cell> cells = rows->index().row(static_cast<std::uint16_t>(r));
            const bool formulas = std::any_of(cells.begin(), cells.end(),
                                              [](const biff::Cell& c) { return c.fromFormula; });
            if (loaded && !formulas) {
                pending.emplace_back(r, static_cast<std::uint16_t>(cells.size()));
                continue;
            }
            for (biff::Cell& c : cells) sheet->cells_.place(c.row, c.col) = cellFrom(std::move(c));
        }
        if (!pending.empty()) source = std::move(rows);
    }

    auto& items = layout.items;
    bool haveCells = false, haveColInfo = false, haveDims = false, haveMerged = false,
         haveLinks = false, haveSelection = false, first = true;
    Cell* lastFormula = nullptr;
    int depth = 0;
    std::size_t rawBytes = 0;
    // Offsets are the stream's until the bytes find their home below.
    auto keep = [&](SheetSlot slot, std::uint16_t id, std::span<const std::uint8_t> unit) {
        const auto offset = static_cast<std::uint32_t>(unit.data() - stream.data());
        const auto size = static_cast<std::uint32_t>(unit.size());
        rawBytes += size;
        if (slot == SheetSlot::Raw && !standsAlone(id) && !items.empty()) {
            SheetItem& last = items.back();
            if (last.slot == SheetSlot::Raw && last.offset + last.size == offset &&
                !standsAlone(rawId(stream.subspan(last.offset, 4)))) {
                last.size += size;
                return;
            }
        }
        items.push_back({slot, offset, size});
    };
    {
        // A list has a link a row: grown by doubling, the links would take
        // up to three times their room at the moment the last growth copies
        // them.
        std::size_t units = 0;
        std::size_t bytes = 0;
        biff::visitSheetRecords(stream, globals, index, [&](const biff::RecordRef& r) {
            if (r.id != biff::rec::HLink && r.id != biff::rec::HLinkTooltip) return;
            ++units;
            bytes += 4 + std::size_t{r.size};
        });
        sheet->storedLinks_.units.reserve(units);
        sheet->storedLinks_.bytes.reserve(bytes);
        sheet->storedLinks_.codepage = globals.codepage;
    }
    // Links are read only when asked for; until then each keeps its bytes.
    auto storeLink = [&](std::span<const std::uint8_t> unit, bool tooltip, formula::Area area) {
        StoredLinks& stored = sheet->storedLinks_;
        stored.units.push_back({area, static_cast<std::uint32_t>(stored.bytes.size()),
                                static_cast<std::uint32_t>(unit.size()), tooltip});
        stored.bytes.insert(stored.bytes.end(), unit.begin(), unit.end());
    };
    forEachUnit(stream, globals, index, [&](std::uint16_t id, std::span<const std::uint8_t> unit) {
        // A worksheet entry must lead to a worksheet's BOF; anything else
        // would be written back as cells it does not hold.
        if (first && (unit.size() < 8 || io::le16(unit.data() + 6) != biff::substream::Worksheet))
            throw BookError("sheet \"" + entry.name + "\" does not start with a worksheet BOF");
        first = false;
        if (id == biff::rec::Bof) ++depth;
        if (depth > 1) {
            if (id == biff::rec::Eof) --depth;
            keep(SheetSlot::Raw, id, unit);
            return;
        }
        if (id == biff::rec::Eof) --depth;
        const auto body = bodyOf(unit);
        if (belongsToFormula(id)) {
            if (lastFormula != nullptr)
                lastFormula->rawRecords.push_back({unit.begin(), unit.end()});
            return;
        }
        lastFormula = nullptr;
        if (isCellRecord(id) || id == biff::rec::Row || id == biff::rec::DbCell) {
            if (!haveCells) items.push_back({SheetSlot::Cells, 0, 0});
            haveCells = true;
            if (id == biff::rec::Row && body.size() >= 16) {
                io::ByteReader in(body);
                const std::uint16_t r = in.u16();
                in.skip(4);
                RowInfo info;
                info.height = in.u16() & 0x7FFF;
                info.reserved = in.u32();
                const std::uint16_t flags = in.u16();
                const std::uint16_t xfWord = in.u16();
                info.outlineLevel = flags & 0x07;
                info.collapsed = (flags & 0x10) != 0;
                info.hidden = (flags & 0x20) != 0;
                info.customHeight = (flags & 0x40) != 0;
                info.hasXf = (flags & 0x80) != 0;
                info.otherFlags = flags & 0xFF08;
                info.xf = xfWord & 0x0FFF;
                info.otherXfFlags = xfWord & 0xF000;
                sheet->rows_[r] = info;
            } else if (id == biff::rec::Formula && body.size() >= 6) {
                const std::uint16_t r = io::le16(body.data());
                const std::uint16_t c = io::le16(body.data() + 2);
                // The cell holds the formula's result already; no cell is
                // added from here on, so the pointer stays good.
                if (Cell* cell = sheet->cells_.find(r, c);
                    cell != nullptr && cell->kind == Cell::Kind::Formula) {
                    cell->rawRecords.clear();
                    cell->rawRecords.push_back({unit.begin(), unit.end()});
                    lastFormula = cell;
                }
            }
            // The cell's value comes from the index above.
            return;
        }
        switch (id) {
            case biff::rec::Index:
                return;  // regenerated offsets would be needed; readers do without
            case biff::rec::Dimensions:
                if (!haveDims) items.push_back({SheetSlot::Dimensions, 0, 0});
                haveDims = true;
                return;
            case biff::rec::ColInfo: {
                if (!haveColInfo) items.push_back({SheetSlot::ColInfo, 0, 0});
                haveColInfo = true;
                if (body.size() < 10) return;
                io::ByteReader in(body);
                const std::uint16_t firstCol = in.u16();
                const std::uint16_t lastCol = in.u16();
                ColumnInfo ci;
                ci.present = true;
                ci.width = in.u16();
                ci.xf = in.u16();
                const std::uint16_t flags = in.u16();
                ci.hidden = (flags & 1) != 0;
                ci.otherFlags = flags & 0xFFFE;
                ci.reserved = in.remaining() >= 2 ? in.u16() : 0;
                const std::uint32_t last = std::min<std::uint32_t>(lastCol, 255);
                if (firstCol <= last && sheet->columns_.size() <= last)
                    sheet->columns_.resize(last + 1);
                for (std::uint32_t col = firstCol; col <= last; ++col) sheet->columns_[col] = ci;
                return;
            }
            case biff::rec::MergedCells: {
                if (!haveMerged) items.push_back({SheetSlot::Merged, 0, 0});
                haveMerged = true;
                io::ByteReader in(body);
                const std::uint16_t count = body.size() >= 2 ? in.u16() : 0;
                for (std::uint16_t i = 0; i < count && in.remaining() >= 8; ++i)
                    sheet->merged_.push_back(ref8(in.bytes(8)));
                return;
            }
            case biff::rec::HLink: {
                if (!haveLinks) items.push_back({SheetSlot::Hyperlinks, 0, 0});
                haveLinks = true;
                if (body.size() < 8) return;
                storeLink(unit, false, ref8(body));
                return;
            }
            case biff::rec::HLinkTooltip:
                if (!sheet->storedLinks_.units.empty() && body.size() >= 10) {
                    storeLink(unit, true, {});
                    return;
                }
                break;
            case biff::rec::Window2:
                if (body.size() >= 2) sheet->tabSelected_ = (io::le16(body.data()) & 0x0200) != 0;
                keep(SheetSlot::Window2, id, unit);
                return;
            case biff::rec::Pane:
                if (body.size() >= 9) layout.activePane = body[8];
                break;
            case biff::rec::Selection:
                if (!haveSelection && body.size() >= 9 && body[0] == layout.activePane) {
                    haveSelection = true;
                    readSelection(unit, sheet->selection_);
                    keep(SheetSlot::ActiveSelection, id, unit);
                    return;
                }
                break;
            case biff::rec::DefColWidth:
                if (body.size() >= 2) sheet->defaultColumnWidth_ = io::le16(body.data());
                break;
            case biff::rec::DefaultRowHeight:
                if (body.size() >= 4) sheet->defaultRowHeight_ = io::le16(body.data() + 2) & 0x7FFF;
                break;
            default:
                break;
        }
        keep(SheetSlot::Raw, id, unit);
    });
    if (first) throw BookError("sheet \"" + entry.name + "\" does not start with a worksheet BOF");
    if (loaded && loaded->stream.data() == stream.data() && rawBytes >= stream.size() / 2) {
        // Most of the stream is records kept raw: holding it costs less
        // than a copy beside it.
        layout.held = loaded;
    } else {
        layout.copied.reserve(rawBytes);
        for (SheetItem& item : items) {
            auto bytes = stream.subspan(item.offset, item.size);
            item.offset = static_cast<std::uint32_t>(layout.copied.size());
            layout.copied.insert(layout.copied.end(), bytes.begin(), bytes.end());
        }
    }
    // A formula the reader dropped for damage leaves nothing to keep.
    sheet->cells_.eraseHeldIf(
        [](const Cell& c) { return c.kind == Cell::Kind::Formula && c.rawRecords.empty(); });
    if (!pending.empty()) sheet->cells_.reserveRows(pending.back().first + 1);
    for (auto [r, count] : pending) sheet->cells_.leavePending(r, source, r, count);
    addMissingSlots(layout);
    return sheet;
}

}  // namespace xls::book
