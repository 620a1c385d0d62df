#include <gtest/gtest.h>

#include "native/biff/biff5_workbook.h"
#include "native/biff/globals.h"
#include "native/biff/stream_builder.h"
#include "native/biff/test_compound_file.h"
#include "native/biff/worksheet.h"

namespace xls::biff {
namespace {

using testing::StreamBuilder;
using Bytes = std::vector<std::uint8_t>;

TEST(Biff5, JapaneseWorkbookReadsInItsCodePage) {
    const Bytes s = testing::biff5WorkbookStream(testing::japaneseTexts());
    const Globals g = parseGlobals(s);
    EXPECT_EQ(g.biffVersion, 5);
    EXPECT_EQ(g.codepage, 932);
    ASSERT_EQ(g.sheets.size(), 2u);
    EXPECT_EQ(g.sheets[0].name, "表紙");
    EXPECT_EQ(g.sheets[1].name, "明細");
    ASSERT_EQ(g.fonts.size(), 1u);
    EXPECT_EQ(g.fonts[0].name, "Arial");
    EXPECT_EQ(g.formats.at(0xA4), "yyyy/mm/dd");
    ASSERT_EQ(g.xfs.size(), 2u);
    EXPECT_EQ(g.xfs[1].format, 0xA4);

    // The 3-D tokens come out in their BIFF8 form, over one XTI per sheet.
    ASSERT_EQ(g.names.size(), 3u);
    EXPECT_EQ(g.names[0].name, "件名");
    EXPECT_EQ(g.names[0].sheetIndex, 0);
    EXPECT_EQ(g.names[0].rgce, (Bytes{0x3A, 0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(g.names[1].name, "日付");
    EXPECT_EQ(g.names[1].sheetIndex, 2);
    EXPECT_EQ(g.names[1].rgce, (Bytes{0x3A, 1, 0, 2, 0, 2, 0}));
    EXPECT_EQ(g.names[2].rgce, (Bytes{0x3B, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0}));
    ASSERT_EQ(g.supbooks.size(), 1u);
    EXPECT_EQ(g.supbooks[0].kind, SupBook::Kind::Self);
    ASSERT_EQ(g.externSheet.size(), 2u);
    EXPECT_EQ(g.externSheet[1].supBook, 0);
    EXPECT_EQ(g.externSheet[1].firstSheet, 1);
    EXPECT_EQ(g.externSheet[1].lastSheet, 1);

    const Worksheet first = parseWorksheet(s, g, 0);
    EXPECT_EQ(first.dimLastRowPlus1, 3u);
    EXPECT_EQ(first.dimLastColPlus1, 2u);
    ASSERT_EQ(first.cells.size(), 2u);
    EXPECT_EQ(first.find(1, 1)->text, "点検報告");
    const Cell* formula = first.find(2, 1);
    ASSERT_NE(formula, nullptr);
    EXPECT_TRUE(formula->fromFormula);
    EXPECT_EQ(formula->text, "鈴木");
    const Worksheet second = parseWorksheet(s, g, 1);
    ASSERT_EQ(second.cells.size(), 1u);
    EXPECT_EQ(second.cells[0].number, 45366);
    EXPECT_EQ(second.cells[0].xf, 1);
}

// Some writers count characters, not bytes, in a double-byte code page;
// the record's end tells which count was meant.
TEST(Biff5, DoubleByteTextCountedInCharacters) {
    using B = StreamBuilder;
    const Bytes hyoshi{0x95, 0x5C, 0x8E, 0x86};  // 表紙 in code page 932
    B s;
    s.bof(0x0005, 0x0500);
    s.record(0x0042, B::le16(932));
    s.record(0x0085, B::cat({B::le32(0), {0, 0}, {2}, hyoshi}));
    s.eof();
    const auto sheetAt = static_cast<std::uint32_t>(s.size());
    s.bof(0x0010, 0x0500);
    s.record(0x0204, B::cat({B::le16(0), B::le16(0), B::le16(0), B::le16(2), hyoshi}));
    // Two runs after the text, the last of them with zero bytes.
    s.record(
        0x00D6,
        B::cat({B::le16(1), B::le16(0), B::le16(0), B::le16(3), hyoshi, {'x'}, {2}, {0, 5, 2, 0}}));
    // Counted in bytes, with no runs.
    s.record(0x00D6, B::cat({B::le16(2), B::le16(0), B::le16(0), B::le16(5), hyoshi, {'y'}, {0}}));
    s.eof();
    Bytes stream = s.bytes();
    constexpr std::size_t kPlyPos = 20 + 6 + 4;  // after BOF, CODEPAGE, BOUNDSHEET's header
    stream[kPlyPos] = static_cast<std::uint8_t>(sheetAt);
    const Globals g = parseGlobals(stream);
    ASSERT_EQ(g.sheets.size(), 1u);
    EXPECT_EQ(g.sheets[0].name, "表紙");
    const Worksheet ws = parseWorksheet(stream, g, 0);
    ASSERT_EQ(ws.cells.size(), 3u);
    EXPECT_EQ(ws.cells[0].text, "表紙");
    EXPECT_EQ(ws.cells[1].text, "表紙x");
    EXPECT_EQ(ws.cells[2].text, "表紙y");
}

// One name per token form that differs between the versions.
TEST(Biff5, NameTokensAreRewrittenOrRefused) {
    using B = StreamBuilder;
    auto sheets3d = [](std::int16_t ixals, std::uint16_t first, std::uint16_t last) {
        return B::cat({B::le16(static_cast<std::uint16_t>(ixals)), Bytes(8, 0), B::le16(first),
                       B::le16(last)});
    };
    auto name = [](const std::string& text, const Bytes& rgce) {
        return B::cat({B::le16(0),
                       {0x00, static_cast<std::uint8_t>(text.size())},
                       B::le16(static_cast<std::uint16_t>(rgce.size())),
                       B::le16(0),
                       B::le16(0),
                       {0, 0, 0, 0},
                       Bytes(text.begin(), text.end()),
                       rgce});
    };
    const Bytes ref3dA1 = B::cat({{0x3A}, sheets3d(-1, 0, 0), B::le16(0), {0}});
    B s;
    s.bof(0x0005, 0x0500);
    s.record(0x0042, B::le16(1252));
    s.record(0x0085, B::cat({B::le32(0), {0, 0}, {1, 'S'}}));
    // Row 5 with both relative flags, column 3: the flags move to the column.
    s.record(0x0018, name("rel", B::cat({{0x3A}, sheets3d(-1, 0, 0), B::le16(0xC005), {3}})));
    s.record(0x0018,
             name("gone",
                  B::cat({{0x3B}, sheets3d(-1, 0xFFFF, 0xFFFF), B::le16(0), B::le16(1), {0, 1}})));
    s.record(0x0018, name("other", B::cat({{0x3A}, sheets3d(2, 0, 0), B::le16(0), {0}})));
    // tMemFunc around A1,A1: its byte count is that of the rewritten tokens.
    s.record(0x0018, name("union", B::cat({{0x29}, B::le16(37), ref3dA1, ref3dA1, {0x10}})));
    s.record(0x0018, name("alias", B::cat({{0x23}, B::le16(1), Bytes(12, 0)})));
    s.record(0x0018, name("text", Bytes{0x17, 0x02, 0xE9, 'a'}));
    s.record(0x0018, name("rowrel", B::cat({{0x2C}, B::le16(0), {0}})));        // tRefN
    s.record(0x0018, name("cut", B::cat({{0x3A}, sheets3d(-1, 0, 0)})));        // no cell
    s.record(0x0018, name("overrun", B::cat({{0x29}, B::le16(40), ref3dA1})));  // cce too long
    s.eof();
    const Globals g = parseGlobals(s.bytes());
    ASSERT_EQ(g.names.size(), 9u);
    EXPECT_EQ(g.names[0].rgce, (Bytes{0x3A, 0, 0, 5, 0, 3, 0xC0}));
    EXPECT_EQ(g.names[1].rgce, (Bytes{0x3B, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0}));
    EXPECT_EQ(g.names[2].rgce, (Bytes{0x3A, 2, 0, 0, 0, 0, 0}));
    EXPECT_EQ(g.names[3].rgce,
              (Bytes{0x29, 15, 0, 0x3A, 0, 0, 0, 0, 0, 0, 0x3A, 0, 0, 0, 0, 0, 0, 0x10}));
    EXPECT_EQ(g.names[4].rgce, (Bytes{0x23, 1, 0, 0, 0}));
    EXPECT_EQ(g.names[5].rgce, (Bytes{0x17, 2, 1, 0xE9, 0, 'a', 0}));
    for (std::size_t i = 6; i < 9; ++i) EXPECT_EQ(g.names[i].rgce, Bytes{0xFF}) << g.names[i].name;

    // This workbook, a deleted sheet, another document.
    ASSERT_EQ(g.supbooks.size(), 2u);
    EXPECT_EQ(g.supbooks[0].kind, SupBook::Kind::Self);
    EXPECT_EQ(g.supbooks[1].kind, SupBook::Kind::External);
    ASSERT_EQ(g.externSheet.size(), 3u);
    EXPECT_EQ(g.externSheet[1].supBook, 0);
    EXPECT_EQ(g.externSheet[1].firstSheet, -1);
    EXPECT_EQ(g.externSheet[2].supBook, 1);
}

}  // namespace
}  // namespace xls::biff
