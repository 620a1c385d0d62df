#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "native/biff/globals.h"
#include "native/biff/record_ids.h"
#include "native/biff/test_compound_file.h"

namespace xls::biff {
namespace {

using testing::corpusWorkbook;
using Bytes = std::vector<std::uint8_t>;

// The records must tile the globals without gaps, from the BOF at 0 to the
// EOF, so that a writer can copy any of them by position.
void expectRecordsTile(const std::vector<RecordRef>& records, std::uint32_t start) {
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front().id, rec::Bof);
    EXPECT_EQ(records.back().id, rec::Eof);
    std::uint32_t at = start;
    for (const RecordRef& r : records) {
        ASSERT_EQ(r.offset, at);
        at += 4u + r.size;
    }
}

TEST(Globals, JapaneseWorkbookWithPhoneticStrings) {
    const Bytes s = corpusWorkbook("apache__poi/12561-1.xls");
    const Globals g = parseGlobals(s);
    EXPECT_EQ(g.codepage, 1200);
    EXPECT_FALSE(g.date1904);
    ASSERT_EQ(g.fonts.size(), 10u);
    EXPECT_EQ(g.fonts[0].name, "ＭＳ Ｐゴシック");
    EXPECT_EQ(g.xfs.size(), 52u);
    EXPECT_EQ(g.formats.size(), 12u);
    // 129 strings, every one with an ExtRst block, one CONTINUE.
    ASSERT_EQ(g.sst.size(), 129u);
    EXPECT_EQ(g.sstDeclaredCount, 129u);
    EXPECT_EQ(g.sst[0], "作業NO");
    EXPECT_EQ(g.sst[2], "作業開始日付");
    EXPECT_EQ(g.sst[128], "PC版メイン画面の上部ナビゲーションバー表示");
    EXPECT_TRUE(g.warnings.empty());

    ASSERT_EQ(g.sheets.size(), 1u);
    EXPECT_EQ(g.sheets[0].name, "作業リスト");
    EXPECT_EQ(g.sheets[0].kind, SheetKind::Worksheet);
    EXPECT_EQ(g.sheets[0].bofOffset, 11374u);

    // A sheet-level built-in name over a 3-D area (ptgArea3d, XTI 0).
    ASSERT_EQ(g.names.size(), 1u);
    EXPECT_EQ(g.names[0].name, "Print_Area");
    EXPECT_TRUE(g.names[0].builtin);
    EXPECT_EQ(g.names[0].sheetIndex, 1);
    EXPECT_EQ(g.names[0].rgce,
              (Bytes{0x3B, 0x00, 0x00, 0x02, 0x00, 0x41, 0x00, 0x00, 0x00, 0x0C, 0x00}));
    ASSERT_EQ(g.supbooks.size(), 1u);
    EXPECT_EQ(g.supbooks[0].kind, SupBook::Kind::Self);
    ASSERT_EQ(g.externSheet.size(), 1u);
    EXPECT_EQ(g.externSheet[0].supBook, 0);

    expectRecordsTile(g.records, 0);
    EXPECT_EQ(g.records.back().offset + 4u, g.sheets[0].bofOffset);
}

TEST(Globals, StringTableSplitAcrossContinueRecords) {
    // String 349 starts 16-bit in the SST and goes on compressed in the
    // CONTINUE record.
    const Globals cz = parseGlobals(corpusWorkbook("apache__poi/48026.xls"));
    ASSERT_EQ(cz.sst.size(), 366u);
    EXPECT_EQ(cz.sst[348], "125panskydlouhyplast");
    EXPECT_EQ(cz.sst[349], "Veľ. M-XXL, 100% bavlna, rôzne farby");
    EXPECT_EQ(cz.sst[365], "zma1");

    // String 374 is split with a phonetic block after it; the rest of the
    // table must stay aligned.
    const Globals tw = parseGlobals(corpusWorkbook("apache__poi/12843-2.xls"));
    ASSERT_EQ(tw.sst.size(), 436u);
    EXPECT_EQ(tw.sst[374],
              "以下這個句子屬於哪一種語氣句？\n「假如空氣中沒有灰塵，大自然將多麼單調啊！」");
    EXPECT_EQ(tw.sst[375], "陳述句");
    EXPECT_EQ(tw.sst[435], "D");
    int continues = 0;
    for (const RecordRef& r : tw.records) continues += r.id == rec::Continue;
    EXPECT_EQ(continues, 2);
    expectRecordsTile(tw.records, 0);
}

TEST(Globals, DefinedNamesOfEveryKind) {
    const Globals g = parseGlobals(corpusWorkbook("python-excel__xlrd/namesdemo.xls"));
    ASSERT_EQ(g.sheets.size(), 4u);
    EXPECT_EQ(g.sheets[3].name, "Seamus O'Reilly");
    ASSERT_EQ(g.names.size(), 34u);
    auto find = [&](const std::string& name, std::uint16_t itab) -> const DefinedName* {
        for (const DefinedName& n : g.names)
            if (n.name == name && n.sheetIndex == itab) return &n;
        return nullptr;
    };
    // Names differing only in case are distinct when on different sheets.
    const DefinedName* local = find("localRange", 2);
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local->rgce, (Bytes{0x3A, 0x03, 0x00, 0x01, 0x00, 0x01, 0x00}));
    ASSERT_NE(find("LocalRange", 1), nullptr);
    ASSERT_NE(find("Localrange", 3), nullptr);
    // A 16-bit string constant and a non-ASCII name.
    const DefinedName* uni = find("UnicodeString", 0);
    ASSERT_NE(uni, nullptr);
    EXPECT_EQ(uni->rgce, (Bytes{0x17, 0x05, 0x01, 0xB1, 0x03, 0xB2, 0x03, 0xB3, 0x03, 0xB4, 0x03,
                                0xB5, 0x03}));
    EXPECT_NE(find("Москва", 0), nullptr);
    const DefinedName* titles = find("Print_Titles", 3);
    ASSERT_NE(titles, nullptr);
    EXPECT_TRUE(titles->builtin);
    EXPECT_FALSE(titles->hidden);
    EXPECT_FALSE(titles->isFunction);
    const DefinedName* empty = find("EmptyString", 0);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->rgce, (Bytes{0x17, 0x00, 0x00}));

    // XTI -2 marks a workbook-level reference and must stay signed.
    ASSERT_EQ(g.externSheet.size(), 6u);
    EXPECT_EQ(g.externSheet[4].firstSheet, -2);
    EXPECT_EQ(g.externSheet[4].lastSheet, -2);
    EXPECT_EQ(g.externSheet[0].lastSheet, 2);
    ASSERT_EQ(g.supbooks.size(), 1u);
    EXPECT_EQ(g.supbooks[0].sheetCount, 4);
}

TEST(Globals, ExternalWorkbookLink) {
    const Globals g = parseGlobals(corpusWorkbook("apache__poi/XRefCalc.xls"));
    ASSERT_EQ(g.supbooks.size(), 2u);
    EXPECT_EQ(g.supbooks[0].kind, SupBook::Kind::Self);
    const SupBook& ext = g.supbooks[1];
    EXPECT_EQ(ext.kind, SupBook::Kind::External);
    // The path keeps its encoding control character (0x01).
    EXPECT_EQ(ext.url, "\x01XRefCalcData.xls");
    EXPECT_EQ(ext.sheetNames.size(), 3u);
    ASSERT_EQ(g.externSheet.size(), 2u);
    EXPECT_EQ(g.externSheet[1].supBook, 1);
    EXPECT_EQ(g.externSheet[1].firstSheet, -2);
}

TEST(Globals, DateSystemFormatsAndSheetKinds) {
    const Globals t = parseGlobals(corpusWorkbook("libxls__libxls/types.xls"));
    EXPECT_TRUE(t.date1904);
    ASSERT_TRUE(t.formats.count(164));
    EXPECT_EQ(t.formats.at(164), "[$-F400]h:mm:ss\\ AM/PM");
    EXPECT_EQ(t.sheets.size(), 7u);

    const Globals c = parseGlobals(corpusWorkbook("apache__poi/44010-TwoCharts.xls"));
    EXPECT_FALSE(c.date1904);
    ASSERT_EQ(c.sheets.size(), 3u);
    EXPECT_EQ(c.sheets[1].name, "Graph1");
    EXPECT_EQ(c.sheets[1].kind, SheetKind::Chart);
    EXPECT_EQ(c.externSheet[1].firstSheet, -1);
}

TEST(Globals, StringCountsThatDisagreeWithTheTable) {
    // Declares none, holds 23: the strings are what the cells use.
    const Globals zero = parseGlobals(
        corpusWorkbook("ExcelDataReader__ExcelDataReader/Test_git_issue_477_sst_zero_count.xls"));
    EXPECT_EQ(zero.sstDeclaredCount, 0u);
    ASSERT_EQ(zero.sst.size(), 23u);
    EXPECT_EQ(zero.sst[0], "col1");
    EXPECT_EQ(zero.sst[22], "10x27");

    // Declares 1761 and holds none: no error, a warning.
    const Globals none = parseGlobals(corpusWorkbook("apache__poi/57456.xls"));
    EXPECT_EQ(none.sstDeclaredCount, 1761u);
    EXPECT_TRUE(none.sst.empty());
    ASSERT_EQ(none.warnings.size(), 1u);
    EXPECT_THAT(none.warnings[0], ::testing::HasSubstr("declares 1761 strings but holds 0"));
}

TEST(Globals, StrayByteAndEmptyContinueInsideTheStringTable) {
    // An empty CONTINUE, then one whose 16-bit text ends in half a
    // character: the string goes on in the next CONTINUE.
    const Globals g = parseGlobals(corpusWorkbook(
        "ExcelDataReader__ExcelDataReader/Test_git_issue_467_empty_continue_leftoverbytes.xls"));
    ASSERT_EQ(g.sst.size(), 148u);
    EXPECT_TRUE(g.warnings.empty());
    EXPECT_THAT(g.sst[147], ::testing::StartsWith("The prices communicated by the Member States"));
    EXPECT_THAT(g.sst[147], ::testing::HasSubstr("ends in April."));
}

}  // namespace
}  // namespace xls::biff
