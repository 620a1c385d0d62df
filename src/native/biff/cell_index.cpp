#include "native/biff/cell_index.h"

#include <algorithm>

#include "native/biff/biff_error.h"
#include "native/biff/record_ids.h"
#include "native/biff/sheet_records.h"
#include "native/io/byte_reader.h"

// The index comes from a walk over every record header of the sheet, not
// from the sheet's INDEX and DBCELL records: writers other than the
// spreadsheet's own leave those out or point them at the wrong place, and
// the walk is needed anyway to refuse the damage parseWorksheet refuses,
// so that a sheet reads the same through either reader.

namespace xls::biff {

namespace {

using detail::RecordBody;
using detail::SheetState;

bool isRun(std::uint16_t id) {
    return id == rec::MulRk || id == rec::MulBlank;
}

// The records whose handler adds cells: a FORMULA's STRING must come before
// the next of them.
bool addsCells(std::uint16_t id) {
    switch (id) {
        case rec::ColInfo:
        case rec::HLink:
        case rec::Dimensions:
        case rec::String:
        case rec::Row:
            return false;
        default:
            return true;
    }
}

// Every cell record starts with its row and (first) column; a run ends with
// its last column. The walk checked the sizes before indexing the record.
struct Span {
    std::uint16_t row, first, last;
};

Span spanOf(std::span<const std::uint8_t> stream, std::uint32_t offset) {
    const std::uint8_t* h = stream.data() + offset;
    const std::uint16_t size = io::le16(h + 2);
    const std::uint16_t row = io::le16(h + 4), first = io::le16(h + 6);
    return {row, first, isRun(io::le16(h)) ? io::le16(h + 4 + size - 2) : first};
}

// A FORMULA whose text result follows in a STRING record.
bool awaitsString(const Record& r) {
    const auto v = r.data.subspan(6, 8);
    return v[0] == 0 && v[6] == 0xFF && v[7] == 0xFF;
}

// Reads the STRING record of the FORMULA cell just added to s, from the
// record after it: the first one, unless another cell comes between.
void attachString(RecordReader reader, SheetState& s) {
    std::vector<std::span<const std::uint8_t>> parts;
    std::vector<RecordRef> continues;
    Record r;
    int depth = 0;
    while (reader.next(r)) {
        if (r.id == rec::Bof) {
            ++depth;
            continue;
        }
        if (r.id == rec::Eof) {
            if (depth-- == 0) return;
            continue;
        }
        if (depth > 0) continue;
        const auto* h = detail::sheetHandler(s.globals.biffVersion, r.id);
        if (h == nullptr) continue;
        if (r.id == rec::String) {
            parts.assign(1, r.data);
            if (h->mergesContinue) reader.takeContinues(parts, continues);
            h->parse(s, RecordBody{r.id, r.offset, r.data, parts});
            return;
        }
        if (addsCells(r.id)) return;
    }
}

}  // namespace

CellIndex CellIndex::build(std::span<const std::uint8_t> workbookStream, const Globals& globals,
                           std::size_t sheetIndex, bool withBlanks) {
    const SheetEntry& entry = detail::sheetAt(globals, sheetIndex);
    CellIndex index;
    index.stream_ = workbookStream;
    index.globals_ = &globals;
    index.withBlanks_ = withBlanks;
    if (entry.kind == SheetKind::VbModule) return index;
    try {
        index.walk(entry);
    } catch (const BiffError& e) {
        throw BiffError("sheet \"" + entry.name + "\": " + e.what());
    }
    return index;
}

void CellIndex::walk(const SheetEntry& entry) {
    detail::SheetStart start = detail::openSheet(stream_, entry);
    RecordReader& reader = start.reader;
    // Records that only need checking are handed to their handlers with a
    // scratch sheet, emptied after each, so the damage they refuse is the
    // same as parseWorksheet's.
    Worksheet scratch;
    SheetState state{scratch, *globals_};
    std::vector<std::span<const std::uint8_t>> parts;
    std::vector<RecordRef> continues;
    // Per row, one past the last column a kept record reached: a blank
    // record matters only where it replaces an earlier value, or a blank
    // kept because it did.
    std::vector<std::uint32_t> valueEnd;
    bool stringAwaited = false;
    Span previous{0, 0, 0};
    std::uint16_t lastRow = 0;
    Record r;
    int depth = 1;
    for (;;) {
        if (!reader.next(r)) {
            throw BiffError("ends at offset " + std::to_string(reader.position()) +
                            " without an EOF record");
        }
        if (r.id == rec::Bof) {
            ++depth;
            continue;
        }
        if (r.id == rec::Eof) {
            if (--depth == 0) break;
            continue;
        }
        if (depth > 1 || start.chart) continue;
        const auto* h = detail::sheetHandler(globals_->biffVersion, r.id);
        // Hyperlinks are not read here, and their reader refuses nothing.
        if (h == nullptr || r.id == rec::HLink) continue;
        parts.assign(1, r.data);
        const RecordBody body{r.id, r.offset, r.data, parts};
        bool value = true;
        try {
            switch (r.id) {
                case rec::Number:
                    detail::expectSize(body, 14);
                    break;
                case rec::Rk:
                    detail::expectSize(body, 10);
                    break;
                case rec::LabelSst: {
                    detail::expectSize(body, 10);
                    const std::uint32_t sst = io::le32(r.data.data() + 6);
                    if (sst >= globals_->sst.size() && state.badSstCount++ == 0) {
                        state.firstBadSstOffset = r.offset;
                        state.firstBadSstIndex = sst;
                    }
                    break;
                }
                case rec::BoolErr:
                    detail::expectSize(body, 8);
                    break;
                case rec::Formula:
                    if (r.data.size() < 22) detail::expectSize(body, 22);
                    break;
                case rec::MulRk:
                    detail::runLength(body, 6);
                    break;
                case rec::Blank:
                    detail::expectSize(body, 6);
                    value = false;
                    break;
                case rec::MulBlank:
                    detail::runLength(body, 2);
                    value = false;
                    break;
                case rec::String:
                    if (stringAwaited) {
                        continues.clear();
                        if (h->mergesContinue) reader.takeContinues(parts, continues);
                        scratch.cells.assign(1, Cell{});
                        state.pendingString = 0;
                        h->parse(state, RecordBody{r.id, r.offset, r.data, parts});
                        scratch.cells.clear();
                        stringAwaited = false;
                    }
                    continue;
                case rec::Label:
                case rec::RString:
                    // Read once to check, kept as an offset.
                    h->parse(state, body);
                    scratch.cells.clear();
                    break;
                default:
                    // ROW, COLINFO, DIMENSIONS: checked, not kept.
                    h->parse(state, body);
                    scratch.rows.clear();
                    scratch.columns.clear();
                    continue;
            }
        } catch (const io::ReadPastEnd& e) {
            throw BiffError(recordLabel(r.id, r.offset) + ": " + e.what());
        }
        stringAwaited = r.id == rec::Formula && awaitsString(r);
        const Span s = spanOf(stream_, r.offset);
        if (!value && !withBlanks_ && (s.row >= valueEnd.size() || s.first >= valueEnd[s.row]))
            continue;
        if (s.row >= valueEnd.size()) valueEnd.resize(std::size_t{s.row} + 1, 0);
        valueEnd[s.row] = std::max<std::uint32_t>(valueEnd[s.row], s.last + 1u);
        if (!offsets_.empty() &&
            (s.row < previous.row || (s.row == previous.row && s.first <= previous.last)))
            ordered_ = false;
        previous = s;
        lastRow = std::max(lastRow, s.row);
        offsets_.push_back(r.offset);
    }
    if (auto warning = detail::badSstWarning(state)) warnings_.push_back(std::move(*warning));
    groupByRow(lastRow);
}

// A counting sort by row, stable so that within a row a later record stays
// later; records in order already need only the row starts.
void CellIndex::groupByRow(std::uint16_t lastRow) {
    if (offsets_.empty()) return;
    rowStart_.assign(std::size_t{lastRow} + 2, 0);
    for (std::uint32_t offset : offsets_) ++rowStart_[spanOf(stream_, offset).row + 1u];
    for (std::size_t r = 1; r < rowStart_.size(); ++r) rowStart_[r] += rowStart_[r - 1];
    if (!ordered_) {
        std::vector<std::uint32_t> next(rowStart_.begin(), rowStart_.end() - 1);
        std::vector<std::uint32_t> grouped(offsets_.size());
        for (std::uint32_t offset : offsets_) grouped[next[spanOf(stream_, offset).row]++] = offset;
        offsets_ = std::move(grouped);
    }
    // Room left by growth is given back where it is worth a copy.
    if (offsets_.capacity() > offsets_.size() + offsets_.size() / 4 + 1024)
        offsets_.shrink_to_fit();
}

std::span<const std::uint32_t> CellIndex::recordsOf(std::uint16_t row) const {
    if (std::size_t{row} + 1 >= rowStart_.size()) return {};
    return std::span<const std::uint32_t>(offsets_).subspan(rowStart_[row],
                                                            rowStart_[row + 1u] - rowStart_[row]);
}

void CellIndex::decode(std::uint32_t offset, std::optional<std::uint16_t> col,
                       std::vector<Cell>& out) const {
    RecordReader reader(stream_, offset);
    Record r;
    reader.next(r);
    if (isRun(r.id)) {
        // One entry of the run, read directly: the rest are not wanted.
        const Span s = spanOf(stream_, offset);
        const std::size_t width = r.id == rec::MulRk ? 6 : 2;
        const std::uint16_t from = col.value_or(s.first), to = col.value_or(s.last);
        for (std::uint32_t c = from; c <= to; ++c) {
            const std::uint8_t* entry = r.data.data() + 4 + (c - s.first) * width;
            Cell& cell = out.emplace_back();
            cell.row = s.row;
            cell.col = static_cast<std::uint16_t>(c);
            cell.xf = io::le16(entry);
            if (r.id == rec::MulRk) {
                cell.type = CellType::Number;
                cell.number = decodeRk(io::le32(entry + 2));
            }
        }
        return;
    }
    Worksheet sheet;
    sheet.cells.swap(out);
    SheetState state{sheet, *globals_};
    const std::span<const std::uint8_t> parts[] = {r.data};
    detail::sheetHandler(globals_->biffVersion, r.id)
        ->parse(state, RecordBody{r.id, r.offset, r.data, parts});
    if (state.pendingString != SheetState::npos) attachString(reader, state);
    sheet.cells.swap(out);
}

std::optional<Cell> CellIndex::find(std::uint16_t row, std::uint16_t col) const {
    const auto records = recordsOf(row);
    auto covers = [&](std::uint32_t offset) {
        const Span s = spanOf(stream_, offset);
        return s.first <= col && col <= s.last;
    };
    std::optional<std::uint32_t> hit;
    if (ordered_) {
        auto it = std::upper_bound(records.begin(), records.end(), col,
                                   [&](std::uint16_t c, std::uint32_t offset) {
                                       return c < spanOf(stream_, offset).first;
                                   });
        if (it != records.begin() && covers(*--it)) hit = *it;
    } else {
        // A later record for the same cell replaces an earlier one.
        auto it = std::find_if(records.rbegin(), records.rend(), covers);
        if (it != records.rend()) hit = *it;
    }
    if (!hit) return std::nullopt;
    std::vector<Cell> cells;
    decode(*hit, col, cells);
    if (cells.empty()) return std::nullopt;
    return std::move(cells.front());
}

std::vector<Cell> CellIndex::row(std::uint16_t row) const {
    std::vector<Cell> cells;
    for (std::uint32_t offset : recordsOf(row)) decode(offset, std::nullopt, cells);
    detail::settleCells(cells, ordered_);
    return cells;
}

}  // namespace xls::biff
