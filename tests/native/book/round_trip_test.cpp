#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "native/biff/globals.h"
#include "native/biff/record_ids.h"
#include "native/biff/worksheet.h"
#include "native/book/book_test_util.h"
#include "native/book/workbook.h"

namespace xls::book {
namespace {

using Units = std::vector<std::vector<std::uint8_t>>;

bool modelledInGlobals(std::uint16_t id) {
    switch (id) {
        case 0x041E:
        case 0x00E0:
        case 0x0085:
        case 0x01AE:
        case 0x0023:
        case 0x0059:
        case 0x005A:
        case 0x0017:
        case 0x0018:
        case 0x00FC:
        case 0x00FF:
        case 0x002F:
        case 0x003D:
            return true;
    }
    return false;
}

bool modelledInSheet(std::uint16_t id) {
    switch (id) {
        case 0x0006:
        case 0x0203:
        case 0x027E:
        case 0x00BD:
        case 0x0204:
        case 0x00FD:
        case 0x00D6:
        case 0x0205:
        case 0x0201:
        case 0x00BE:
        case 0x0207:
        case 0x04BC:
        case 0x0221:
        case 0x0236:
        case 0x0208:
        case 0x00D7:
        case 0x020B:
        case 0x0200:
        case 0x007D:
        case 0x00E5:
        case 0x01B8:
        case 0x0800:
        case 0x001D:
        case 0x023E:
            return true;
    }
    return false;
}

// The records the model does not interpret, with their CONTINUEs.
Units rawUnits(std::span<const std::uint8_t> s, const std::vector<biff::RecordRef>& refs,
               bool sheet) {
    Units out;
    bool keep = false;
    int depth = 0;
    for (const auto& r : refs) {
        if (r.id == 0x0809) ++depth;
        const bool inner = depth > 1;
        if (r.id == 0x000A) --depth;
        if (r.id == 0x003C) {
            if (keep)
                out.back().insert(out.back().end(), s.begin() + r.offset,
                                  s.begin() + r.offset + 4 + r.size);
            continue;
        }
        keep = inner || !(sheet ? modelledInSheet(r.id) : modelledInGlobals(r.id));
        if (keep) out.emplace_back(s.begin() + r.offset, s.begin() + r.offset + 4 + r.size);
    }
    return out;
}

void expectSameCells(const biff::Worksheet& a, const biff::Worksheet& b, const std::string& where) {
    ASSERT_EQ(a.cells.size(), b.cells.size()) << where;
    for (std::size_t i = 0; i < a.cells.size(); ++i) {
        const auto& x = a.cells[i];
        const auto& y = b.cells[i];
        ASSERT_TRUE(x.row == y.row && x.col == y.col && x.xf == y.xf && x.type == y.type &&
                    x.fromFormula == y.fromFormula && x.text == y.text && x.code == y.code &&
                    (x.number == y.number || (x.number != x.number && y.number != y.number)))
            << where << " cell " << x.row << "," << x.col;
    }
}

// Load, write, read again: the same workbook, and every record the model
// does not interpret in its place byte for byte. Writing the result again
// gives the same bytes.
TEST(RoundTrip, CorpusFilesSurviveUnchanged) {
    std::size_t files = 0;
    for (const auto& file : testing::corpusFiles()) {
        SCOPED_TRACE(file.string());
        std::vector<std::uint8_t> original;
        biff::Globals g1;
        std::vector<biff::Worksheet> sheets1;
        try {
            original = testing::workbookStreamOf(file);
            g1 = biff::parseGlobals(original);
            for (std::size_t i = 0; i < g1.sheets.size(); ++i)
                sheets1.push_back(biff::parseWorksheet(original, g1, i));
        } catch (const std::exception&) {
            continue;  // not readable as BIFF8 by the reader: nothing to keep
        }
        std::vector<std::uint8_t> written;
        ASSERT_NO_THROW(written = Workbook::fromStream(original).serialize());
        biff::Globals g2;
        ASSERT_NO_THROW(g2 = biff::parseGlobals(written));
        ASSERT_EQ(g1.sheets.size(), g2.sheets.size());
        EXPECT_EQ(g1.formats, g2.formats);
        ASSERT_EQ(g1.xfs.size(), g2.xfs.size());
        ASSERT_EQ(g1.names.size(), g2.names.size());
        for (std::size_t i = 0; i < g1.names.size(); ++i) {
            EXPECT_EQ(g1.names[i].name, g2.names[i].name);
            EXPECT_EQ(g1.names[i].sheetIndex, g2.names[i].sheetIndex);
            EXPECT_EQ(g1.names[i].rgce, g2.names[i].rgce);
        }
        EXPECT_TRUE(rawUnits(original, g1.records, false) == rawUnits(written, g2.records, false))
            << "globals records not kept";
        for (std::size_t i = 0; i < g1.sheets.size(); ++i) {
            EXPECT_EQ(g1.sheets[i].name, g2.sheets[i].name);
            biff::Worksheet w2;
            ASSERT_NO_THROW(w2 = biff::parseWorksheet(written, g2, i));
            if (g1.sheets[i].kind != biff::SheetKind::Worksheet) continue;
            expectSameCells(sheets1[i], w2, g1.sheets[i].name);
            ASSERT_EQ(sheets1[i].hyperlinks.size(), w2.hyperlinks.size());
            for (std::size_t h = 0; h < w2.hyperlinks.size(); ++h) {
                EXPECT_EQ(sheets1[i].hyperlinks[h].target, w2.hyperlinks[h].target);
                EXPECT_EQ(sheets1[i].hyperlinks[h].firstRow, w2.hyperlinks[h].firstRow);
            }
            EXPECT_EQ(sheets1[i].columns.size() > 0, w2.columns.size() > 0);
            EXPECT_TRUE(rawUnits(original, sheets1[i].records, true) ==
                        rawUnits(written, w2.records, true))
                << "records of sheet " << g1.sheets[i].name << " not kept";
        }
        EXPECT_EQ(Workbook::fromStream(written).serialize(), written) << "second write differs";
        ++files;
    }
    EXPECT_GT(files, 50u);
}

TEST(RoundTrip, BlankWorkbookReadsBack) {
    const auto stream = Workbook::createBlank().serialize();
    const auto g = biff::parseGlobals(stream);
    ASSERT_EQ(g.sheets.size(), 3u);
    EXPECT_EQ(g.sheets[0].name, "Sheet1");
    EXPECT_EQ(g.sheets[2].name, "Sheet3");
    EXPECT_EQ(g.codepage, 1200);
    EXPECT_FALSE(g.date1904);
    ASSERT_GE(g.fonts.size(), 4u);
    EXPECT_EQ(g.fonts[0].name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(g.fonts[0].height, 220);
    ASSERT_EQ(g.xfs.size(), 21u);
    EXPECT_FALSE(g.xfs[15].isStyle);
    EXPECT_TRUE(g.xfs[0].isStyle);
    EXPECT_EQ(g.formats.at(5), "\"¥\"#,##0;\"¥\"\\-#,##0");
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_TRUE(biff::parseWorksheet(stream, g, i).cells.empty());
    const auto book = Workbook::fromStream(stream);
    EXPECT_EQ(book.activeSheet(), 0u);
    EXPECT_TRUE(book.sheet(0).tabSelected());
    EXPECT_FALSE(book.sheet(1).tabSelected());
}

// Records the model does not read stay as they were around the ones it
// adds: a new merged range after the selection, a new link before the data
// validations, whether the sheet holds few such records or thousands.
TEST(RoundTrip, RecordsKeptRawStayInPlaceAroundAddedOnes) {
    constexpr std::uint16_t kUnknown = 0x01F0, kLast = 0x01F1;
    auto put = [](std::vector<std::uint8_t>& out, std::uint16_t id,
                  std::vector<std::uint8_t> body) {
        out.insert(out.end(), {static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8),
                               static_cast<std::uint8_t>(body.size()), 0});
        out.insert(out.end(), body.begin(), body.end());
    };
    for (std::size_t count : {3u, 5000u}) {
        SCOPED_TRACE(count);
        auto stream = Workbook::createBlank().serialize();
        const auto g = biff::parseGlobals(stream);
        const auto eof = biff::parseWorksheet(stream, g, 2).records.back();
        ASSERT_EQ(eof.id, biff::rec::Eof);
        std::vector<std::uint8_t> unknown, tail;
        for (std::size_t i = 0; i < count; ++i)
            put(unknown, kUnknown, std::vector<std::uint8_t>(i % 3, static_cast<std::uint8_t>(i)));
        tail = unknown;
        put(tail, biff::rec::DVal, std::vector<std::uint8_t>(18, 0));
        put(tail, kLast, {7, 8});
        stream.insert(stream.begin() + eof.offset, tail.begin(), tail.end());

        Workbook book = Workbook::fromStream(stream);
        book.sheet(2).addMergedRange({0, 0, 1, 1});
        book.sheet(2).addHyperlink({2, 2, 2, 2}, "http://example.com/", "");
        const auto written = book.serialize();
        const auto g2 = biff::parseGlobals(written);
        const auto ws = biff::parseWorksheet(written, g2, 2);
        EXPECT_EQ(ws.hyperlinks.size(), 1u);
        auto at = std::find_if(ws.records.begin(), ws.records.end(),
                               [](const auto& r) { return r.id == biff::rec::Selection; });
        ASSERT_NE(at, ws.records.end());
        std::vector<std::uint16_t> ids;
        std::vector<std::uint8_t> kept;
        for (++at; at != ws.records.end(); ++at) {
            if (ids.empty() || ids.back() != at->id || at->id != kUnknown) ids.push_back(at->id);
            if (at->id == kUnknown)
                kept.insert(kept.end(), written.begin() + at->offset,
                            written.begin() + at->offset + 4 + at->size);
        }
        EXPECT_EQ(ids,
                  (std::vector<std::uint16_t>{biff::rec::MergedCells, kUnknown, biff::rec::HLink,
                                              biff::rec::DVal, kLast, biff::rec::Eof}));
        EXPECT_TRUE(kept == unknown);
    }
}

// A list of 1,000 rows by 20 columns is written in milliseconds.
TEST(RoundTrip, WritingAThousandRowListIsFast) {
    Workbook book = Workbook::createBlank();
    Sheet& s = book.sheet(0);
    for (std::uint32_t r = 0; r < 1000; ++r)
        for (std::uint32_t c = 0; c < 20; ++c) {
            if (c % 2)
                s.setNumber(r, c, r * 1.5 + c, 15);
            else
                s.setText(r, c, "row " + std::to_string(r) + " col " + std::to_string(c), 15);
        }
    const auto start = std::chrono::steady_clock::now();
    const auto stream = book.serialize();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_LT(ms, 500);
    const auto g = biff::parseGlobals(stream);
    const auto ws = biff::parseWorksheet(stream, g, 0);
    EXPECT_EQ(ws.cells.size(), 20000u);
    EXPECT_EQ(ws.find(999, 18)->text, "row 999 col 18");
    EXPECT_DOUBLE_EQ(ws.find(999, 19)->number, 999 * 1.5 + 19);
}

}  // namespace
}  // namespace xls::book
