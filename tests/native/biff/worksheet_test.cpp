#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

#include "native/biff/biff_error.h"
#include "native/biff/cell_index.h"
#include "native/biff/record_ids.h"
#include "native/biff/stream_builder.h"
#include "native/biff/test_compound_file.h"
#include "native/biff/worksheet.h"

namespace xls::biff {
namespace {

using testing::corpusWorkbook;
using testing::StreamBuilder;
using Bytes = std::vector<std::uint8_t>;

std::size_t countRecords(const Worksheet& ws, std::uint16_t id) {
    return std::count_if(ws.records.begin(), ws.records.end(),
                         [&](const RecordRef& r) { return r.id == id; });
}

TEST(Worksheet, EveryKindOfCellValue) {
    const Bytes s = corpusWorkbook("libxls__libxls/types.xls");
    const Globals g = parseGlobals(s);
    const Worksheet ws = parseWorksheet(s, g, 2);
    EXPECT_EQ(ws.name, "smorgasbord");
    EXPECT_EQ(ws.dimLastRowPlus1, 20u);
    EXPECT_EQ(ws.dimLastColPlus1, 2);
    auto at = [&](std::uint16_t r, std::uint16_t c) {
        const Cell* cell = ws.find(r, c);
        EXPECT_NE(cell, nullptr) << r << "," << c;
        return cell ? *cell : Cell{};
    };
    EXPECT_EQ(at(0, 1).text, "hello world");
    EXPECT_FALSE(at(0, 1).fromFormula);
    // A formula whose text result follows in a STRING record.
    EXPECT_EQ(at(1, 1).type, CellType::String);
    EXPECT_EQ(at(1, 1).text, "HELLO WORLD");
    EXPECT_TRUE(at(1, 1).fromFormula);
    EXPECT_EQ(at(2, 1).type, CellType::Blank);
    EXPECT_DOUBLE_EQ(at(3, 1).number, 1.3);
    EXPECT_EQ(at(4, 1).type, CellType::Number);
    EXPECT_DOUBLE_EQ(at(5, 1).number, 1.69);
    EXPECT_TRUE(at(5, 1).fromFormula);
    EXPECT_EQ(at(6, 1).type, CellType::Boolean);
    EXPECT_EQ(at(6, 1).code, 1);
    EXPECT_EQ(at(7, 1).code, 0);
    EXPECT_EQ(at(8, 1).type, CellType::Boolean);
    EXPECT_TRUE(at(8, 1).fromFormula);
    EXPECT_DOUBLE_EQ(at(10, 1).number, 40964);
    const std::uint8_t errors[] = {cell_error::NA,    cell_error::NA,   cell_error::Name,
                                   cell_error::Value, cell_error::Div0, cell_error::Ref,
                                   cell_error::Num,   cell_error::Null};
    for (int i = 0; i < 8; ++i) {
        const Cell c = at(static_cast<std::uint16_t>(12 + i), 1);
        EXPECT_EQ(c.type, CellType::Error) << "row " << 12 + i;
        EXPECT_EQ(c.code, errors[i]) << "row " << 12 + i;
    }
    EXPECT_FALSE(at(12, 1).fromFormula);
    EXPECT_TRUE(at(13, 1).fromFormula);
    EXPECT_EQ(ws.find(0, 2), nullptr);
    EXPECT_GT(countRecords(ws, rec::String), 0u);
    EXPECT_GT(countRecords(ws, rec::BoolErr), 0u);
}

TEST(Worksheet, CellsSortedWithRowsAndColumns) {
    const Bytes s = corpusWorkbook("apache__poi/12561-1.xls");
    const Globals g = parseGlobals(s);
    const Worksheet ws = parseWorksheet(s, g, 0);
    EXPECT_EQ(ws.name, "作業リスト");
    EXPECT_EQ(ws.dimFirstRow, 2u);
    EXPECT_EQ(ws.dimLastRowPlus1, 66u);
    EXPECT_EQ(ws.dimLastColPlus1, 13);
    ASSERT_EQ(ws.cells.size(), 782u);
    EXPECT_TRUE(std::is_sorted(ws.cells.begin(), ws.cells.end(), [](const Cell& a, const Cell& b) {
        return a.row != b.row ? a.row < b.row : a.col < b.col;
    }));
    ASSERT_NE(ws.find(2, 0), nullptr);
    EXPECT_EQ(ws.find(2, 0)->text, "作業NO");
    EXPECT_EQ(ws.rows.size(), 63u);
    EXPECT_EQ(ws.columns.size(), 11u);
    EXPECT_TRUE(ws.warnings.empty());
    EXPECT_EQ(ws.records.front().offset, g.sheets[0].bofOffset);
    EXPECT_EQ(ws.records.back().id, rec::Eof);
}

TEST(Worksheet, EmbeddedChartsDoNotEndTheSheet) {
    const Bytes s = corpusWorkbook("apache__tika/testEXCEL_labels-govdocs-515858.xls");
    const Globals g = parseGlobals(s);
    const Worksheet ws = parseWorksheet(s, g, 0);
    EXPECT_EQ(countRecords(ws, rec::Bof), 13u);
    EXPECT_EQ(countRecords(ws, rec::Eof), 13u);
    EXPECT_EQ(ws.cells.size(), 288u);
    // The last row comes after the chart substreams.
    ASSERT_NE(ws.find(62, 0), nullptr);
    EXPECT_THAT(ws.find(62, 0)->text, ::testing::StartsWith("Sources: USDA, Animal"));
}

TEST(Worksheet, ChartSheetsKeepRecordsButNoCells) {
    const Bytes s = corpusWorkbook("apache__poi/44010-TwoCharts.xls");
    const Globals g = parseGlobals(s);
    const Worksheet chart = parseWorksheet(s, g, 1);
    EXPECT_EQ(chart.name, "Graph1");
    EXPECT_TRUE(chart.cells.empty());
    EXPECT_EQ(chart.records.front().offset, g.sheets[1].bofOffset);
    EXPECT_EQ(parseWorksheet(s, g, 0).cells.size(), 156u);
    EXPECT_THROW(parseWorksheet(s, g, 3), BiffError);
}

TEST(Worksheet, HyperlinksToAUrlAndToAPlaceInTheWorkbook) {
    const Bytes s = corpusWorkbook("PHPOffice__PhpSpreadsheet/30template.xls");
    const Globals g = parseGlobals(s);
    const Worksheet ws = parseWorksheet(s, g, 0);
    ASSERT_EQ(ws.hyperlinks.size(), 2u);
    const Hyperlink& url = ws.hyperlinks[0];
    EXPECT_EQ(url.firstRow, 17);
    EXPECT_EQ(url.lastCol, 4);
    EXPECT_EQ(url.target, "http://www.phpexcel.net/");
    EXPECT_EQ(url.display, "www.phpexcel.net");
    EXPECT_EQ(url.location, "");
    const Hyperlink& place = ws.hyperlinks[1];
    EXPECT_EQ(place.target, "");
    EXPECT_EQ(place.location, "'Terms and conditions'!A1");
    EXPECT_EQ(place.display, "Terms and conditions");
}

TEST(Rk, DecodesIntegersDoublesAndHundredths) {
    EXPECT_EQ(decodeRk(0x3FF00000), 1.0);
    EXPECT_EQ(decodeRk((123u << 2) | 2), 123.0);
    EXPECT_DOUBLE_EQ(decodeRk((123u << 2) | 3), 1.23);
    EXPECT_EQ(decodeRk(static_cast<std::uint32_t>(-5 * 4) | 2), -5.0);
    EXPECT_DOUBLE_EQ(decodeRk(0x405EC000 | 1), 1.23);
    EXPECT_EQ(decodeRk(0xC0000000), -2.0);
}

// A one-sheet stream: globals with the given SST strings, then the sheet
// records; bofOffset is patched to the sheet's BOF.
Bytes oneSheet(const std::vector<std::pair<std::uint16_t, Bytes>>& sheetRecords) {
    using B = StreamBuilder;
    StreamBuilder globals;
    globals.bof(0x0005);
    const Bytes sheetEntry = B::cat({B::le32(0), {0x00, 0x00, 0x01}, B::compressed("S")});
    globals.record(rec::BoundSheet, sheetEntry);
    globals.record(rec::Sst, B::cat({B::le32(1), B::le32(1), B::le16(2), B::compressed("hi")}));
    globals.eof();
    Bytes stream = globals.bytes();
    const std::uint32_t bof = static_cast<std::uint32_t>(stream.size());
    // lbPlyPos sits right after the BOUNDSHEET header.
    const std::size_t boundSheet = 20 + 4;
    for (int i = 0; i < 4; ++i) stream[boundSheet + i] = static_cast<std::uint8_t>(bof >> (8 * i));
    StreamBuilder sheet;
    sheet.bof(0x0010);
    for (const auto& [id, data] : sheetRecords) sheet.record(id, data);
    sheet.eof();
    stream.insert(stream.end(), sheet.bytes().begin(), sheet.bytes().end());
    return stream;
}

TEST(Worksheet, RunsDuplicatesAndOrderFromHandMadeRecords) {
    using B = StreamBuilder;
    const Bytes mulrk = B::cat({B::le16(1), B::le16(2), B::le16(15), B::le32((7u << 2) | 2),
                                B::le16(16), B::le32(0x3FF00000), B::le16(3)});
    const Bytes mulblank = B::cat({B::le16(0), B::le16(4), B::le16(15), B::le16(16), B::le16(5)});
    const Bytes formula = B::cat({B::le16(0),
                                  B::le16(0),
                                  B::le16(15),
                                  {0x00, 0, 0, 0, 0, 0, 0xFF, 0xFF},
                                  B::le16(0),
                                  B::le32(0),
                                  B::le16(0)});
    const Bytes labelsst = B::cat({B::le16(3), B::le16(0), B::le16(15), B::le32(0)});
    const Bytes number =
        B::cat({B::le16(3), B::le16(0), B::le16(15), {0, 0, 0, 0, 0, 0, 0x04, 0x40}});
    // A STRING split by CONTINUE: "ab" compressed, then "c" as 16-bit.
    const Bytes string = B::cat({B::le16(3), {0x00, 'a', 'b'}});
    const Bytes stream = oneSheet({{rec::LabelSst, labelsst},
                                   {rec::MulRk, mulrk},
                                   {rec::MulBlank, mulblank},
                                   {rec::Formula, formula},
                                   {rec::String, string},
                                   {rec::Continue, {0x01, 'c', 0x00}},
                                   {rec::Number, number}});
    const Globals g = parseGlobals(stream);
    const Worksheet ws = parseWorksheet(stream, g, 0);
    ASSERT_EQ(ws.cells.size(), 6u);
    EXPECT_EQ(ws.cells[0].row, 0);
    EXPECT_EQ(ws.cells[0].text, "abc");
    EXPECT_TRUE(ws.cells[0].fromFormula);
    EXPECT_EQ(ws.cells[1].col, 4);
    EXPECT_EQ(ws.cells[2].type, CellType::Blank);
    EXPECT_EQ(ws.cells[2].xf, 16);
    EXPECT_EQ(ws.find(1, 2)->number, 7.0);
    EXPECT_EQ(ws.find(1, 3)->number, 1.0);
    EXPECT_EQ(ws.find(1, 3)->xf, 16);
    // The NUMBER for A4 came after its LABELSST and replaces it.
    EXPECT_EQ(ws.find(3, 0)->type, CellType::Number);
    EXPECT_EQ(ws.find(3, 0)->number, 2.5);
    EXPECT_EQ(countRecords(ws, rec::Continue), 1u);
}

TEST(Worksheet, IndexPastTheStringTableGivesEmptyText) {
    using B = StreamBuilder;
    auto labelsst = [](std::uint16_t row, std::uint32_t index) {
        return B::cat({B::le16(row), B::le16(0), B::le16(15), B::le32(index)});
    };
    // The table holds one string; two cells point past it.
    const Bytes stream = oneSheet({{rec::LabelSst, labelsst(0, 0)},
                                   {rec::LabelSst, labelsst(1, 1)},
                                   {rec::LabelSst, labelsst(2, 0xFFFFFFFF)}});
    const Globals g = parseGlobals(stream);
    const Worksheet ws = parseWorksheet(stream, g, 0);
    ASSERT_EQ(ws.cells.size(), 3u);
    EXPECT_EQ(ws.cells[0].text, "hi");
    EXPECT_EQ(ws.cells[1].type, CellType::String);
    EXPECT_EQ(ws.cells[1].text, "");
    EXPECT_EQ(ws.cells[2].text, "");
    ASSERT_EQ(ws.warnings.size(), 1u);
    EXPECT_THAT(ws.warnings[0], ::testing::HasSubstr("2 LABELSST cells index past the 1-string"));
    EXPECT_THAT(ws.warnings[0], ::testing::HasSubstr("index 1)"));
}

Bytes hlink(std::uint32_t flags, const Bytes& body) {
    using B = StreamBuilder;
    return B::cat({B::le16(4), B::le16(4), B::le16(1), B::le16(2), Bytes(16, 0xAB), B::le32(2),
                   B::le32(flags), body});
}

Bytes hyperlinkString(const std::u16string& s) {
    Bytes out = StreamBuilder::le32(static_cast<std::uint32_t>(s.size() + 1));
    for (char16_t c : s) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    out.insert(out.end(), {0, 0});
    return out;
}

TEST(Worksheet, FileMonikerLinksAndUnreadableOnes) {
    using B = StreamBuilder;
    const Bytes fileClsid{0x03, 0x03, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    const std::u16string wide = u"報告.xls";
    Bytes widePath;
    for (char16_t c : wide)
        widePath.insert(widePath.end(),
                        {static_cast<std::uint8_t>(c), static_cast<std::uint8_t>(c >> 8)});
    const Bytes moniker = B::cat({fileClsid,
                                  B::le16(1),
                                  B::le32(7),
                                  {'x', '.', 'x', 'l', 's', 0, 0},
                                  B::le16(0xFFFF),
                                  B::le16(0xDEAD),
                                  Bytes(20, 0),
                                  B::le32(static_cast<std::uint32_t>(widePath.size() + 6)),
                                  B::le32(static_cast<std::uint32_t>(widePath.size())),
                                  B::le16(3),
                                  widePath});
    const Bytes file = hlink(0x01 | 0x08 | 0x10,
                             B::cat({hyperlinkString(u"see"), moniker, hyperlinkString(u"A1")}));
    // An item moniker is not read: the link is dropped, the sheet kept.
    const Bytes other = hlink(0x01, B::cat({Bytes(16, 0x11), Bytes(8, 0)}));
    const Bytes cut = hlink(0x10, B::le32(1000));
    const Bytes stream = oneSheet({{rec::HLink, file}, {rec::HLink, other}, {rec::HLink, cut}});
    const Globals g = parseGlobals(stream);
    const Worksheet ws = parseWorksheet(stream, g, 0);
    ASSERT_EQ(ws.hyperlinks.size(), 1u);
    EXPECT_EQ(ws.hyperlinks[0].target, "../報告.xls");
    EXPECT_EQ(ws.hyperlinks[0].display, "see");
    EXPECT_EQ(ws.hyperlinks[0].location, "A1");
    EXPECT_EQ(ws.hyperlinks[0].firstCol, 1);
    EXPECT_EQ(ws.hyperlinks[0].lastCol, 2);
    EXPECT_EQ(ws.warnings.size(), 2u);
}

// The cell index gives every cell as parseWorksheet reads it; of the blank
// cells only those that replace an earlier value, and its rows give the
// same cells in the same order.
void expectIndexAgrees(const Bytes& stream, const Globals& g, std::size_t sheet) {
    const Worksheet ws = parseWorksheet(stream, g, sheet);
    const CellIndex index = CellIndex::build(stream, g, sheet);
    auto same = [](const Cell& a, const Cell& b) {
        return a.row == b.row && a.col == b.col && a.xf == b.xf && a.type == b.type &&
               a.fromFormula == b.fromFormula && a.text == b.text && a.code == b.code &&
               (a.number == b.number || (a.number != a.number && b.number != b.number));
    };
    std::vector<Cell> rows;
    for (std::uint32_t r = 0; r < index.rowLimit(); ++r) {
        auto cells = index.row(static_cast<std::uint16_t>(r));
        rows.insert(rows.end(), cells.begin(), cells.end());
    }
    // Each cell, the place after it and the first of each row, so that the
    // empty places around cells are asked for too.
    auto expectSameAt = [&](std::uint16_t r, std::uint16_t c) {
        const Cell* cell = ws.find(r, c);
        const auto found = index.find(r, c);
        if (!cell || (cell->type == CellType::Blank && !cell->fromFormula))
            EXPECT_TRUE(!found || found->type == CellType::Blank)
                << ws.name << " " << r << "," << c;
        else
            EXPECT_TRUE(found && same(*found, *cell)) << ws.name << " " << r << "," << c;
    };
    for (std::uint32_t r = 0; r < index.rowLimit(); ++r)
        expectSameAt(static_cast<std::uint16_t>(r), 0);
    std::size_t next = 0;
    for (const Cell& cell : ws.cells) {
        expectSameAt(cell.row, cell.col);
        if (cell.col < 255) expectSameAt(cell.row, static_cast<std::uint16_t>(cell.col + 1));
        if (cell.type == CellType::Blank && !cell.fromFormula && !index.find(cell.row, cell.col))
            continue;
        ASSERT_LT(next, rows.size()) << ws.name;
        EXPECT_TRUE(same(rows[next++], cell)) << ws.name << " " << cell.row << "," << cell.col;
    }
    EXPECT_EQ(next, rows.size()) << ws.name;
    EXPECT_EQ(index.warnings(), ws.warnings);

    // As an editor loads the sheet: every cell, blanks too, and every record.
    const CellIndex withBlanks = CellIndex::build(stream, g, sheet, true);
    std::vector<Cell> all;
    for (std::uint32_t r = 0; r < withBlanks.rowLimit(); ++r) {
        auto cells = withBlanks.row(static_cast<std::uint16_t>(r));
        all.insert(all.end(), cells.begin(), cells.end());
    }
    ASSERT_EQ(all.size(), ws.cells.size()) << ws.name;
    for (std::size_t i = 0; i < all.size(); ++i)
        EXPECT_TRUE(same(all[i], ws.cells[i]))
            << ws.name << " " << ws.cells[i].row << "," << ws.cells[i].col;
    std::vector<RecordRef> records;
    visitSheetRecords(stream, g, sheet, [&](const RecordRef& r) { records.push_back(r); });
    ASSERT_EQ(records.size(), ws.records.size()) << ws.name;
    for (std::size_t i = 0; i < records.size(); ++i)
        EXPECT_TRUE(records[i].id == ws.records[i].id &&
                    records[i].offset == ws.records[i].offset &&
                    records[i].size == ws.records[i].size)
            << ws.name << " record " << i;
}

TEST(CellIndex, AgreesWithTheFullParserOnTheCorpus) {
    std::size_t sheets = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(
             std::filesystem::path(MOKUJI_TEST_DATA_DIR) / "corpus")) {
        const auto ext = e.path().extension().string();
        if (ext != ".xls" && ext != ".XLS") continue;
        SCOPED_TRACE(e.path().string());
        Bytes stream;
        Globals g;
        try {
            stream = testing::workbookStream(testing::readTestFile(
                std::filesystem::relative(e.path(), MOKUJI_TEST_DATA_DIR).string()));
            g = parseGlobals(stream);
        } catch (const std::exception&) {
            continue;  // no workbook this reader reads: the sheets are not reached
        }
        for (std::size_t i = 0; i < g.sheets.size(); ++i) {
            bool fullRefuses = false, indexRefuses = false;
            try {
                parseWorksheet(stream, g, i);
            } catch (const BiffError&) {
                fullRefuses = true;
            }
            try {
                CellIndex::build(stream, g, i);
            } catch (const BiffError&) {
                indexRefuses = true;
            }
            EXPECT_EQ(fullRefuses, indexRefuses) << "sheet " << i;
            if (fullRefuses) continue;
            expectIndexAgrees(stream, g, i);
            ++sheets;
        }
    }
    EXPECT_GT(sheets, 100u);
}

// Rows of runs, repeats and rows that come back, as a writer that appends
// edits might leave them; expected values follow from the positions.
TEST(CellIndex, ManyRowsRunsRepeatsAndRowsOutOfOrder) {
    using B = StreamBuilder;
    constexpr std::uint16_t kRows = 300, kCols = 10;
    auto cell = [](std::uint16_t r, std::uint16_t c) { return B::cat({B::le16(r), B::le16(c)}); };
    auto rk = [](std::int32_t v) { return B::le32((static_cast<std::uint32_t>(v) << 2) | 2); };
    auto number = [&](std::uint16_t r, std::uint16_t c, double v) {
        Bytes bits(8);
        std::memcpy(bits.data(), &v, 8);
        return B::cat({cell(r, c), B::le16(15), bits});
    };
    std::vector<std::pair<std::uint16_t, Bytes>> records;
    for (std::uint16_t r = 0; r < kRows; ++r) {
        Bytes blanks = cell(r, 0);
        for (std::uint16_t c = 0; c < kCols; ++c) blanks = B::cat({blanks, B::le16(15)});
        records.push_back({rec::MulBlank, B::cat({blanks, B::le16(kCols - 1)})});
        if (r % 3 != 0) continue;
        records.push_back({rec::Number, number(r, 2, r + 0.5)});
        Bytes run = cell(r, 4);
        for (std::uint16_t c = 4; c <= 6; ++c) run = B::cat({run, B::le16(15), rk(r * 10 + c)});
        records.push_back({rec::MulRk, B::cat({run, B::le16(6)})});
    }
    // Rows visited again, out of order: a later record replaces an earlier
    // one, a BLANK included.
    const std::uint16_t again[] = {297, 3, 150};
    for (std::uint16_t r : again) {
        records.push_back({rec::Rk, B::cat({cell(r, 2), B::le16(15), rk(-r)})});
        records.push_back({rec::Blank, B::cat({cell(r, 5), B::le16(15)})});
        records.push_back({rec::Number, number(r, 9, r * 2.0)});
    }
    const Bytes stream = oneSheet(records);
    const Globals g = parseGlobals(stream);
    const CellIndex index = CellIndex::build(stream, g, 0);
    for (std::uint16_t r = 0; r <= kRows; ++r) {
        const bool revisited = std::find(std::begin(again), std::end(again), r) != std::end(again);
        for (std::uint16_t c = 0; c <= kCols; ++c) {
            SCOPED_TRACE(std::to_string(r) + "," + std::to_string(c));
            const auto found = index.find(r, c);
            std::optional<double> expected;
            if (revisited && c == 2)
                expected = -r;
            else if (revisited && c == 9)
                expected = r * 2.0;
            else if (r % 3 == 0 && r < kRows && c == 2)
                expected = r + 0.5;
            else if (r % 3 == 0 && r < kRows && c >= 4 && c <= 6 && !(revisited && c == 5))
                expected = r * 10 + c;
            if (!expected) {
                EXPECT_TRUE(!found || found->type == CellType::Blank);
                continue;
            }
            ASSERT_TRUE(found && found->type == CellType::Number);
            EXPECT_EQ(found->number, *expected);
        }
    }
    expectIndexAgrees(stream, g, 0);
}

}  // namespace
}  // namespace xls::biff
