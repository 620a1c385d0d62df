#include <algorithm>
#include <array>

#include "native/biff/biff_error.h"
#include "native/biff/record_ids.h"
#include "native/biff/sheet_records.h"
#include "native/biff/worksheet.h"
#include "native/io/byte_reader.h"

namespace xls::biff {

namespace {

using detail::Handler;
using detail::SheetState;

constexpr std::array<Handler<SheetState>, 15> kHandlers{{
    {rec::Formula, false, detail::parse_formula},
    {rec::ColInfo, false, detail::parse_colinfo},
    {rec::MulRk, false, detail::parse_mulrk},
    {rec::MulBlank, false, detail::parse_mulblank},
    {rec::RString, false, detail::parse_rstring},
    {rec::LabelSst, false, detail::parse_labelsst},
    {rec::HLink, false, detail::parse_hlink},
    {rec::Dimensions, false, detail::parse_dimensions},
    {rec::Blank, false, detail::parse_blank},
    {rec::Number, false, detail::parse_number},
    {rec::Label, false, detail::parse_label},
    {rec::BoolErr, false, detail::parse_boolerr},
    {rec::String, true, detail::parse_string},
    {rec::Row, false, detail::parse_row},
    {rec::Rk, false, detail::parse_rk},
}};
static_assert(detail::sortedById(kHandlers));

// BIFF5/BIFF7 sheets: byte strings, no string table, no hyperlinks.
constexpr std::array<Handler<SheetState>, 13> kBiff5Handlers{{
    {rec::Formula, false, detail::parse_formula},
    {rec::ColInfo, false, detail::parse_colinfo},
    {rec::MulRk, false, detail::parse_mulrk},
    {rec::MulBlank, false, detail::parse_mulblank},
    {rec::RString, false, detail::parse_rstring5},
    {rec::Dimensions, false, detail::parse_dimensions5},
    {rec::Blank, false, detail::parse_blank},
    {rec::Number, false, detail::parse_number},
    {rec::Label, false, detail::parse_label5},
    {rec::BoolErr, false, detail::parse_boolerr},
    {rec::String, false, detail::parse_string5},
    {rec::Row, false, detail::parse_row},
    {rec::Rk, false, detail::parse_rk},
}};
static_assert(detail::sortedById(kBiff5Handlers));

bool before(const Cell& a, const Cell& b) {
    return a.row != b.row ? a.row < b.row : a.col < b.col;
}

// Bytes up to the next sheet's BOF (or the stream's end): a bound on how
// much this sheet can hold, for reserving.
std::size_t sheetSpan(std::span<const std::uint8_t> stream, const Globals& g, std::uint32_t bof) {
    std::size_t end = stream.size();
    for (const SheetEntry& s : g.sheets)
        if (s.bofOffset > bof && s.bofOffset < end) end = s.bofOffset;
    return end - bof;
}

}  // namespace

namespace detail {

const Handler<SheetState>* sheetHandler(int biffVersion, std::uint16_t id) {
    return biffVersion == 5 ? findHandler(kBiff5Handlers, id) : findHandler(kHandlers, id);
}

const SheetEntry& sheetAt(const Globals& globals, std::size_t index) {
    if (index >= globals.sheets.size()) {
        throw BiffError("sheet index " + std::to_string(index) + " out of range (" +
                        std::to_string(globals.sheets.size()) + " sheets)");
    }
    return globals.sheets[index];
}

SheetStart openSheet(std::span<const std::uint8_t> stream, const SheetEntry& entry) {
    if (entry.bofOffset >= stream.size()) {
        throw BiffError("BOF offset " + std::to_string(entry.bofOffset) +
                        " lies past the end of the " + std::to_string(stream.size()) +
                        "-byte workbook stream");
    }
    SheetStart start{RecordReader(stream, entry.bofOffset), Record{}, false};
    Record& r = start.bof;
    if (!start.reader.next(r) || r.id != rec::Bof) {
        throw BiffError("no BOF record at offset " + std::to_string(entry.bofOffset) + " (found " +
                        recordLabel(r.id, r.offset) + ")");
    }
    io::ByteReader bof(r.data);
    std::uint16_t bofType = 0;
    if (bof.remaining() >= 4) {
        bof.skip(2);
        bofType = bof.u16();
    }
    start.chart = entry.kind == SheetKind::Chart || bofType == substream::Chart;
    return start;
}

std::optional<std::string> badSstWarning(const SheetState& s) {
    if (s.badSstCount == 0) return std::nullopt;
    return std::to_string(s.badSstCount) + " LABELSST cells index past the " +
           std::to_string(s.globals.sst.size()) + "-string table and read as empty text (first: " +
           recordLabel(rec::LabelSst, s.firstBadSstOffset) + ", index " +
           std::to_string(s.firstBadSstIndex) + ")";
}

void settleCells(std::vector<Cell>& cells, bool inOrder) {
    if (inOrder) return;
    std::stable_sort(cells.begin(), cells.end(), before);
    std::size_t w = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (w > 0 && cells[w - 1].row == cells[i].row && cells[w - 1].col == cells[i].col) {
            cells[w - 1] = std::move(cells[i]);
        } else {
            if (w != i) cells[w] = std::move(cells[i]);
            ++w;
        }
    }
    cells.resize(w);
}

}  // namespace detail

const Cell* Worksheet::find(std::uint16_t row, std::uint16_t col) const {
    Cell key;
    key.row = row;
    key.col = col;
    auto it = std::lower_bound(cells.begin(), cells.end(), key, before);
    return it != cells.end() && it->row == row && it->col == col ? &*it : nullptr;
}

namespace {

// Walks the sheet's records from its BOF; errors here get the sheet's name
// put in front by the caller.
void readSheet(std::span<const std::uint8_t> stream, const Globals& globals,
               const SheetEntry& entry, Worksheet& ws) {
    detail::SheetStart start = detail::openSheet(stream, entry);
    RecordReader& reader = start.reader;
    Record r = start.bof;
    const bool chart = start.chart;

    // Each record takes at least four bytes; most cell records 10 or more.
    const std::size_t span = sheetSpan(stream, globals, entry.bofOffset);
    ws.records.reserve(span / 12);
    ws.cells.reserve(span / 12);
    ws.records.push_back(r.ref());

    SheetState state{ws, globals};
    std::vector<std::span<const std::uint8_t>> parts;
    int depth = 1;
    for (;;) {
        if (!reader.next(r)) {
            throw BiffError("ends at offset " + std::to_string(reader.position()) +
                            " without an EOF record");
        }
        ws.records.push_back(r.ref());
        // Embedded charts sit in the sheet as BOF..EOF substreams of their own.
        if (r.id == rec::Bof) {
            ++depth;
            continue;
        }
        if (r.id == rec::Eof) {
            if (--depth == 0) break;
            continue;
        }
        if (depth > 1 || chart) continue;
        const auto* h = detail::sheetHandler(globals.biffVersion, r.id);
        if (h == nullptr) continue;
        parts.clear();
        parts.push_back(r.data);
        if (h->mergesContinue) reader.takeContinues(parts, ws.records);
        try {
            h->parse(state, detail::RecordBody{r.id, r.offset, r.data, parts});
        } catch (const io::ReadPastEnd& e) {
            throw BiffError(recordLabel(r.id, r.offset) + ": " + e.what());
        }
    }
    if (auto warning = detail::badSstWarning(state)) ws.warnings.push_back(std::move(*warning));
    detail::settleCells(ws.cells, state.inOrder);
}

}  // namespace

void visitSheetRecords(std::span<const std::uint8_t> workbookStream, const Globals& globals,
                       std::size_t sheetIndex, const std::function<void(const RecordRef&)>& visit) {
    const SheetEntry& entry = detail::sheetAt(globals, sheetIndex);
    if (entry.kind == SheetKind::VbModule) return;
    detail::SheetStart start = detail::openSheet(workbookStream, entry);
    visit(start.bof.ref());
    Record r;
    for (int depth = 1; depth > 0 && start.reader.next(r);) {
        visit(r.ref());
        if (r.id == rec::Bof) ++depth;
        if (r.id == rec::Eof) --depth;
    }
}

Worksheet parseWorksheet(std::span<const std::uint8_t> workbookStream, const Globals& globals,
                         std::size_t sheetIndex) {
    const SheetEntry& entry = detail::sheetAt(globals, sheetIndex);
    Worksheet ws;
    ws.name = entry.name;
    // A VB module's code lives in the VBA storage; its lbPlyPos means nothing.
    if (entry.kind == SheetKind::VbModule) return ws;
    try {
        readSheet(workbookStream, globals, entry, ws);
    } catch (const BiffError& e) {
        throw BiffError("sheet \"" + entry.name + "\": " + e.what());
    }
    return ws;
}

std::string_view cellErrorText(std::uint8_t code) {
    switch (code) {
        case cell_error::Null:
            return "#NULL!";
        case cell_error::Div0:
            return "#DIV/0!";
        case cell_error::Value:
            return "#VALUE!";
        case cell_error::Ref:
            return "#REF!";
        case cell_error::Name:
            return "#NAME?";
        case cell_error::Num:
            return "#NUM!";
        case cell_error::NA:
            return "#N/A";
        default:
            return "";
    }
}

}  // namespace xls::biff
