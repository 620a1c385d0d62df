#include "native/book/sheet.h"

#include <algorithm>

#include "native/biff/hyperlink.h"
#include "native/biff/record_ids.h"
#include "native/book/book_error.h"
#include "native/book/hyperlink_record.h"
#include "native/book/layout.h"
#include "native/book/raw_units.h"
#include "native/book/workbook.h"
#include "native/text/unicode.h"

namespace xls::book {

namespace {

constexpr std::size_t kMaxTextLength = 32767;

bool onGrid(const formula::Grid& grid, std::uint32_t row, std::uint32_t col) {
    return row <= static_cast<std::uint32_t>(grid.lastRow) &&
           col <= static_cast<std::uint32_t>(grid.lastCol);
}

void checkCell(const formula::Grid& grid, std::uint32_t row, std::uint32_t col) {
    if (!onGrid(grid, row, col))
        throw BookError("cell (row " + std::to_string(row) + ", column " + std::to_string(col) +
                        ") lies outside the " + std::to_string(grid.lastRow + 1) + " x " +
                        std::to_string(grid.lastCol + 1) + " grid");
}

void checkArea(const formula::Grid& grid, const formula::Area& a) {
    if (a.firstRow < 0 || a.firstCol < 0 || a.lastRow > grid.lastRow || a.lastCol > grid.lastCol ||
        a.firstRow > a.lastRow || a.firstCol > a.lastCol)
        throw BookError("range rows " + std::to_string(a.firstRow) + "-" +
                        std::to_string(a.lastRow) + ", columns " + std::to_string(a.firstCol) +
                        "-" + std::to_string(a.lastCol) + " is not a range of the grid");
}

bool overlaps(const formula::Area& a, const formula::Area& b) {
    return a.firstRow <= b.lastRow && b.firstRow <= a.lastRow && a.firstCol <= b.lastCol &&
           b.firstCol <= a.lastCol;
}

bool validUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        const auto c = static_cast<unsigned char>(s[i]);
        std::size_t n = c < 0x80         ? 1
                        : (c >> 5) == 6  ? 2
                        : (c >> 4) == 14 ? 3
                        : (c >> 3) == 30 ? 4
                                         : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
        i += n;
    }
    return true;
}

// Rows of a range after rows first..last are removed: nullopt when the
// range lay inside them.
std::optional<formula::Area> shiftArea(formula::Area a, std::int32_t first, std::int32_t last) {
    const std::int32_t count = last - first + 1;
    auto move = [&](std::int32_t r) { return r > last ? r - count : r; };
    if (a.firstRow >= first && a.lastRow <= last) return std::nullopt;
    const std::int32_t top = a.firstRow >= first && a.firstRow <= last ? first : move(a.firstRow);
    const std::int32_t bottom =
        a.lastRow >= first && a.lastRow <= last ? first - 1 : move(a.lastRow);
    a.firstRow = top;
    a.lastRow = bottom;
    return a;
}

// Keeps the stored links for which keep(area) is true, changing area as it
// says; the others go unread, their bytes with them.
template <typename Keep>
void keepStoredLinks(StoredLinks& stored, Keep&& keep) {
    if (stored.units.empty()) return;
    std::size_t kept = 0;
    std::uint32_t end = 0;
    bool keeping = false;
    for (const StoredLinks::Unit& u : stored.units) {
        StoredLinks::Unit moved = u;
        if (!u.tooltip) keeping = keep(moved.area);
        if (!keeping) continue;
        std::copy_n(stored.bytes.begin() + u.offset, u.size, stored.bytes.begin() + end);
        moved.offset = end;
        end += u.size;
        stored.units[kept++] = moved;
    }
    stored.units.resize(kept);
    stored.bytes.resize(end);
    if (kept == 0) stored = StoredLinks{{}, {}, stored.codepage};
}

// A formula keeps the position of the cell its shared formula, array or
// data table hangs from; when rows above that cell go, it moves with them.
void shiftFormulaAnchors(Cell& c, std::uint32_t last, std::uint32_t count) {
    auto moveRow = [&](std::vector<std::uint8_t>& rec, std::size_t at) {
        if (at + 2 > rec.size()) return;
        const std::uint32_t r = static_cast<std::uint32_t>(rec[at] | (rec[at + 1] << 8));
        if (r <= last) return;
        const std::uint32_t moved = r - count;
        rec[at] = static_cast<std::uint8_t>(moved);
        rec[at + 1] = static_cast<std::uint8_t>(moved >> 8);
    };
    for (std::size_t i = 0; i < c.rawRecords.size(); ++i) {
        auto& rec = c.rawRecords[i];
        if (rec.size() < 4) continue;
        const std::uint16_t id = static_cast<std::uint16_t>(rec[0] | (rec[1] << 8));
        if (i == 0) {
            // FORMULA: rgce after 20 bytes of fields and the 2-byte cce;
            // tExp (0x01) and tTbl (0x02) carry the anchor's row first.
            constexpr std::size_t kRgce = 4 + 22;
            if (rec.size() > kRgce && (rec[kRgce] == 0x01 || rec[kRgce] == 0x02))
                moveRow(rec, kRgce + 1);
        } else if (id == biff::rec::ShrFmla || id == biff::rec::Array || id == biff::rec::Table) {
            // The range they cover comes first.
            moveRow(rec, 4);
            moveRow(rec, 6);
        }
    }
}

}  // namespace

Sheet::Sheet(const Workbook& book) : book_(&book), layout_(std::make_unique<SheetLayout>()) {
    selection_.area = {};
}

Sheet::~Sheet() = default;

void Sheet::requireWorksheet() const {
    if (!isWorksheet())
        throw BookError("sheet \"" + name_ + "\" is not a worksheet and cannot be changed");
}

void Sheet::requireXf(std::uint16_t xf) const {
    if (xf >= book_->styleCount())
        throw BookError("format index " + std::to_string(xf) + " past the " +
                        std::to_string(book_->styleCount()) + " cell formats");
    if (book_->style(xf).isStyle)
        throw BookError("format index " + std::to_string(xf) +
                        " is a style format, which cells cannot use");
}

const formula::Grid& Sheet::grid() const {
    return book_->grid();
}

const Cell* Sheet::find(std::uint32_t row, std::uint32_t col) const {
    if (!onGrid(book_->grid(), row, col)) return nullptr;
    return cells_.find(row, col);
}

Cell& Sheet::place(std::uint32_t row, std::uint32_t col) {
    Cell& c = cells_.place(row, col);
    c.text.clear();
    c.rawRecords.clear();
    c.number = 0;
    c.code = 0;
    c.result = Cell::Kind::Blank;
    return c;
}

void Sheet::setNumber(std::uint32_t row, std::uint32_t col, double value, std::uint16_t xf) {
    requireWorksheet();
    checkCell(book_->grid(), row, col);
    requireXf(xf);
    Cell& c = place(row, col);
    c.kind = Cell::Kind::Number;
    c.number = value;
    c.xf = xf;
}

void Sheet::setText(std::uint32_t row, std::uint32_t col, std::string value, std::uint16_t xf) {
    requireWorksheet();
    checkCell(book_->grid(), row, col);
    requireXf(xf);
    // The strict test passes most texts fastest; what it refuses may still
    // be UTF-8 in form.
    if (!text::isValidUtf8(value) && !validUtf8(value)) throw BookError("text is not valid UTF-8");
    // No text takes more UTF-16 units than it has bytes: only a long one is
    // counted.
    if (value.size() > kMaxTextLength) {
        const std::size_t length = text::utf16Length(value);
        if (length > kMaxTextLength)
            throw BookError("text of " + std::to_string(length) +
                            " characters is longer than a cell holds (32767)");
    }
    Cell& c = place(row, col);
    c.kind = Cell::Kind::Text;
    c.text = std::move(value);
    c.xf = xf;
}

void Sheet::setBoolean(std::uint32_t row, std::uint32_t col, bool value, std::uint16_t xf) {
    requireWorksheet();
    checkCell(book_->grid(), row, col);
    requireXf(xf);
    Cell& c = place(row, col);
    c.kind = Cell::Kind::Boolean;
    c.code = value ? 1 : 0;
    c.xf = xf;
}

void Sheet::setError(std::uint32_t row, std::uint32_t col, std::uint8_t code, std::uint16_t xf) {
    requireWorksheet();
    checkCell(book_->grid(), row, col);
    requireXf(xf);
    static constexpr std::uint8_t kCodes[] = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};
    if (std::find(std::begin(kCodes), std::end(kCodes), code) == std::end(kCodes))
        throw BookError("error code " + std::to_string(code) + " is none of the cell errors");
    Cell& c = place(row, col);
    c.kind = Cell::Kind::Error;
    c.code = code;
    c.xf = xf;
}

void Sheet::setBlank(std::uint32_t row, std::uint32_t col, std::uint16_t xf) {
    requireWorksheet();
    checkCell(book_->grid(), row, col);
    requireXf(xf);
    Cell& c = place(row, col);
    c.kind = Cell::Kind::Blank;
    c.xf = xf;
}

void Sheet::setXf(std::uint32_t row, std::uint32_t col, std::uint16_t xf) {
    requireWorksheet();
    checkCell(book_->grid(), row, col);
    requireXf(xf);
    if (Cell* c = cells_.find(row, col)) {
        c->xf = xf;
        return;
    }
    setBlank(row, col, xf);
}

std::size_t Sheet::restyleCells(const formula::Area& area,
                                const std::function<std::uint16_t(const Cell&)>& newXf) {
    requireWorksheet();
    std::size_t seen = 0;
    const auto end =
        std::min<std::uint32_t>(static_cast<std::uint32_t>(area.lastRow) + 1, cells_.rowEnd());
    std::optional<std::uint16_t> checked;
    for (auto r = static_cast<std::uint32_t>(area.firstRow); r < end; ++r) {
        for (Cell& c : cells_.row(r)) {
            if (c.col < area.firstCol || c.col > area.lastCol) continue;
            std::uint16_t xf = newXf(c);
            if (xf != checked) requireXf(xf);
            checked = xf;
            c.xf = xf;
            ++seen;
        }
    }
    return seen;
}

void Sheet::eraseCell(std::uint32_t row, std::uint32_t col) {
    requireWorksheet();
    checkCell(book_->grid(), row, col);
    cells_.erase(row, col);
}

void Sheet::deleteRows(std::uint32_t first, std::uint32_t last) {
    requireWorksheet();
    if (first > last || !onGrid(book_->grid(), last, 0))
        throw BookError("rows " + std::to_string(first) + "-" + std::to_string(last) +
                        " are not rows of the grid");
    const std::uint32_t count = last - first + 1;

    cells_.eraseRows(first, last);
    // Rows still in the file hold no formulas.
    cells_.forEachHeld([&](Cell& c) {
        if (c.kind == Cell::Kind::Formula) shiftFormulaAnchors(c, last, count);
    });

    std::map<std::uint32_t, RowInfo> rows;
    for (auto& [r, info] : rows_) {
        if (r >= first && r <= last) continue;
        rows.emplace(r > last ? r - count : r, info);
    }
    rows_ = std::move(rows);

    const auto f = static_cast<std::int32_t>(first);
    const auto l = static_cast<std::int32_t>(last);
    keepStoredLinks(storedLinks_, [&](formula::Area& area) {
        auto a = shiftArea(area, f, l);
        if (a) area = *a;
        return a.has_value();
    });
    std::vector<Hyperlink> links;
    for (auto& h : hyperlinks_) {
        if (auto a = shiftArea(h.area, f, l)) {
            h.area = *a;
            links.push_back(std::move(h));
        }
    }
    hyperlinks_ = std::move(links);
    hyperlinksLastRow_.reset();

    std::vector<formula::Area> merged;
    for (const auto& m : merged_) {
        auto a = shiftArea(m, f, l);
        // A merge clipped to a single cell is no merge.
        if (a && (a->firstRow != a->lastRow || a->firstCol != a->lastCol)) merged.push_back(*a);
    }
    merged_ = std::move(merged);

    if (auto a = shiftArea(selection_.area, f, l)) {
        const auto active = static_cast<std::int32_t>(selection_.activeRow);
        std::int32_t row = active > l ? active - static_cast<std::int32_t>(count)
                                      : (active >= f ? a->firstRow : active);
        row = std::clamp(row, a->firstRow, a->lastRow);
        if (row != active || !(*a == selection_.area)) {
            selection_.area = *a;
            selection_.activeRow = static_cast<std::uint32_t>(row);
            selectionChanged_ = true;
        }
    } else {
        const auto lastRow = static_cast<std::uint32_t>(book_->grid().lastRow);
        const std::uint32_t row = std::min<std::uint32_t>(first, lastRow - count);
        const auto at = static_cast<std::int32_t>(row);
        const auto col = static_cast<std::int32_t>(selection_.activeCol);
        selection_ = {row, selection_.activeCol, {at, col, at, col}};
        selectionChanged_ = true;
    }
}

const ColumnInfo& Sheet::column(std::uint32_t col) const {
    static const ColumnInfo kNone{};
    checkCell(book_->grid(), 0, col);
    return col < columns_.size() ? columns_[col] : kNone;
}

void Sheet::roomForColumns(std::uint32_t first, std::uint32_t last) {
    if (first > last || !onGrid(book_->grid(), 0, last))
        throw BookError("columns " + std::to_string(first) + "-" + std::to_string(last) +
                        " are not columns of the grid");
    if (columns_.size() <= last) columns_.resize(last + 1);
}

namespace {

constexpr std::uint16_t kUserSet = 0x0002;

}  // namespace

void Sheet::setColumnWidth(std::uint32_t first, std::uint32_t last, std::uint16_t width) {
    requireWorksheet();
    roomForColumns(first, last);
    for (std::uint32_t c = first; c <= last; ++c) {
        ColumnInfo& ci = columns_[c];
        ci.present = true;
        ci.width = width;
        ci.otherFlags |= kUserSet;
    }
}

namespace {

// The width COLINFO stores for a column of the default width: the
// character count plus the cell padding the application adds.
std::uint16_t defaultWidthUnits(std::uint16_t chars) {
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(0xFFFF, (chars + 1u) * 256u));
}

}  // namespace

void Sheet::setColumnHidden(std::uint32_t first, std::uint32_t last, bool hidden) {
    requireWorksheet();
    roomForColumns(first, last);
    for (std::uint32_t c = first; c <= last; ++c) {
        ColumnInfo& ci = columns_[c];
        if (!ci.present) {
            ci.present = true;
            ci.width = defaultWidthUnits(defaultColumnWidth_);
        }
        ci.hidden = hidden;
    }
}

void Sheet::setColumnXf(std::uint32_t first, std::uint32_t last, std::uint16_t xf) {
    requireWorksheet();
    roomForColumns(first, last);
    requireXf(xf);
    for (std::uint32_t c = first; c <= last; ++c) {
        ColumnInfo& ci = columns_[c];
        if (!ci.present) {
            ci.present = true;
            ci.width = defaultWidthUnits(defaultColumnWidth_);
        }
        ci.xf = xf;
    }
}

std::uint16_t Sheet::columnXf(std::uint32_t col) const {
    const ColumnInfo& ci = column(col);
    return ci.present ? ci.xf : 15;
}

const RowInfo* Sheet::row(std::uint32_t row) const {
    auto it = rows_.find(row);
    return it == rows_.end() ? nullptr : &it->second;
}

namespace {

RowInfo& rowEntry(std::map<std::uint32_t, RowInfo>& rows, std::uint32_t row,
                  std::uint16_t defaultHeight) {
    auto [it, added] = rows.try_emplace(row);
    if (added) it->second.height = defaultHeight;
    return it->second;
}

}  // namespace

void Sheet::setRowHeight(std::uint32_t row, std::uint16_t twips) {
    requireWorksheet();
    checkCell(book_->grid(), row, 0);
    if (twips > 8192)
        throw BookError("row height of " + std::to_string(twips) + " twips exceeds 409.5 points");
    RowInfo& r = rowEntry(rows_, row, defaultRowHeight_);
    if (twips == 0) {
        r.hidden = true;
    } else {
        r.height = twips;
        r.hidden = false;
    }
    r.customHeight = true;
}

void Sheet::setRowHidden(std::uint32_t row, bool hidden) {
    requireWorksheet();
    checkCell(book_->grid(), row, 0);
    RowInfo& r = rowEntry(rows_, row, defaultRowHeight_);
    r.hidden = hidden;
}

void Sheet::setRowXf(std::uint32_t row, std::uint16_t xf) {
    requireWorksheet();
    checkCell(book_->grid(), row, 0);
    requireXf(xf);
    RowInfo& r = rowEntry(rows_, row, defaultRowHeight_);
    r.hasXf = true;
    r.xf = xf;
}

std::optional<std::uint16_t> Sheet::rowXf(std::uint32_t row) const {
    const RowInfo* r = this->row(row);
    if (r == nullptr || !r->hasXf) return std::nullopt;
    return r->xf;
}

void Sheet::addHyperlink(const formula::Area& area, std::string target, std::string display,
                         std::string location) {
    Hyperlink h;
    h.kind = linkKindOf(target);
    if (h.kind != LinkKind::Url) {
        std::replace(target.begin(), target.end(), '/', '\\');
        while (h.kind == LinkKind::RelativeFile && target.starts_with("..\\")) {
            target.erase(0, 3);
            ++h.upLevels;
        }
    }
    h.target = std::move(target);
    h.display = std::move(display);
    h.location = std::move(location);
    addLink(area, std::move(h));
}

void Sheet::addFileHyperlink(const formula::Area& area, std::uint16_t upLevels, std::string path,
                             std::string display, std::string location) {
    Hyperlink h;
    h.kind = LinkKind::RelativeFile;
    h.upLevels = upLevels;
    h.target = std::move(path);
    h.display = std::move(display);
    h.location = std::move(location);
    addLink(area, std::move(h));
}

void Sheet::addRelativeUrlHyperlink(const formula::Area& area, std::string url,
                                    std::string display) {
    Hyperlink h;
    h.kind = LinkKind::RelativeUrl;
    h.target = std::move(url);
    h.display = std::move(display);
    addLink(area, std::move(h));
}

const std::vector<Hyperlink>& Sheet::hyperlinks() const {
    readStoredLinks();
    return hyperlinks_;
}

void Sheet::readStoredLinks() const {
    if (storedLinks_.units.empty()) return;
    std::vector<Hyperlink> links;
    links.reserve(storedLinks_.units.size() + hyperlinks_.size());
    for (const StoredLinks::Unit& u : storedLinks_.units) {
        std::span<const std::uint8_t> unit(storedLinks_.bytes.data() + u.offset, u.size);
        if (u.tooltip) {
            links.back().rawRecords.emplace_back(unit.begin(), unit.end());
            continue;
        }
        Hyperlink h;
        h.area = u.area;
        if (auto read = biff::readHyperlink(bodyOf(unit), storedLinks_.codepage)) {
            h.target = read->target;
            h.location = read->location;
            h.display = read->display;
        }
        h.rawRecords.emplace_back(unit.begin(), unit.end());
        links.push_back(std::move(h));
    }
    for (Hyperlink& h : hyperlinks_) links.push_back(std::move(h));
    hyperlinks_ = std::move(links);
    storedLinks_ = StoredLinks{{}, {}, storedLinks_.codepage};
    hyperlinksLastRow_.reset();
}

void Sheet::addLink(const formula::Area& area, Hyperlink h) {
    requireWorksheet();
    readStoredLinks();
    checkArea(book_->grid(), area);
    if (h.target.empty() && h.location.empty() && h.upLevels == 0)
        throw BookError("a hyperlink needs a target or a location");
    if (!validUtf8(h.target) || !validUtf8(h.display) || !validUtf8(h.location))
        throw BookError("hyperlink text is not valid UTF-8");
    h.area = area;
    if (hyperlinksLastRow_) hyperlinksLastRow_ = std::max(*hyperlinksLastRow_, area.lastRow);
    hyperlinks_.push_back(std::move(h));
}

void Sheet::removeHyperlinks(const formula::Area& area) {
    requireWorksheet();
    if (!hyperlinksLastRow_) {
        std::int32_t last = -1;
        for (const auto& h : hyperlinks_) last = std::max(last, h.area.lastRow);
        for (const auto& u : storedLinks_.units)
            if (!u.tooltip) last = std::max(last, u.area.lastRow);
        hyperlinksLastRow_ = last;
    }
    if (area.firstRow > *hyperlinksLastRow_) return;
    const std::size_t stored = storedLinks_.units.size();
    keepStoredLinks(storedLinks_, [&](const formula::Area& a) { return !overlaps(a, area); });
    if (storedLinks_.units.size() != stored) hyperlinksLastRow_.reset();
    if (std::erase_if(hyperlinks_, [&](const Hyperlink& h) { return overlaps(h.area, area); }))
        hyperlinksLastRow_.reset();
}

void Sheet::addMergedRange(const formula::Area& area) {
    requireWorksheet();
    checkArea(book_->grid(), area);
    if (area.firstRow == area.lastRow && area.firstCol == area.lastCol)
        throw BookError("a merged range needs at least two cells");
    for (const auto& m : merged_)
        if (overlaps(m, area)) throw BookError("the range overlaps a merged range");
    merged_.push_back(area);
}

void Sheet::removeMergedRanges(const formula::Area& area) {
    requireWorksheet();
    std::erase_if(merged_, [&](const formula::Area& m) { return overlaps(m, area); });
}

void Sheet::setSelection(std::uint32_t activeRow, std::uint32_t activeCol,
                         const formula::Area& area) {
    requireWorksheet();
    checkCell(book_->grid(), activeRow, activeCol);
    checkArea(book_->grid(), area);
    const auto r = static_cast<std::int32_t>(activeRow);
    const auto c = static_cast<std::int32_t>(activeCol);
    if (r < area.firstRow || r > area.lastRow || c < area.firstCol || c > area.lastCol)
        throw BookError("the active cell lies outside the selected range");
    selection_ = {activeRow, static_cast<std::uint16_t>(activeCol), area};
    selectionChanged_ = true;
}

void Sheet::setTabSelected(bool selected) {
    tabSelected_ = selected;
}

}  // namespace xls::book
