#include <gtest/gtest.h>

#include "native/biff/globals.h"
#include "native/biff/worksheet.h"
#include "native/book/book_test_util.h"
#include "native/book/workbook.h"

namespace xls::book {
namespace {

struct ReadBack {
    std::vector<std::uint8_t> stream;
    biff::Globals globals;
    biff::Worksheet sheet(std::size_t i) const { return biff::parseWorksheet(stream, globals, i); }
};

ReadBack readBack(const Workbook& book) {
    ReadBack r;
    r.stream = book.serialize();
    r.globals = biff::parseGlobals(r.stream);
    return r;
}

TEST(Edit, ChangesTheFormatCannotHoldAreRefused) {
    Workbook book = Workbook::createBlank();
    Sheet& s = book.sheet(0);
    s.setNumber(0, 0, 42, 15);
    s.setNumber(0, 1, 0.1, 15);
    s.setNumber(1, 0, -1e300, 15);
    s.setText(2, 0, "日本語テキスト", 15);
    s.setText(2, 1, "plain", 15);
    s.setBoolean(3, 0, true, 15);
    s.setError(3, 1, 0x07, 15);
    s.setBlank(4, 0, 15);
    s.setText(65535, 255, std::string(32767, 'x'), 15);
    EXPECT_THROW(s.setText(5, 0, std::string(3, '\xE3'), 15), BookError);  // broken UTF-8
    EXPECT_THROW(s.setText(6, 0, std::string(32768, 'y'), 15), BookError);
    EXPECT_THROW(s.setNumber(65536, 0, 1, 15), BookError);
    EXPECT_THROW(s.setNumber(0, 256, 1, 15), BookError);
    EXPECT_THROW(s.setNumber(0, 0, 1, 0), BookError);  // a style XF
}

TEST(Edit, ValuesAndLongTextsSurviveWriting) {
    Workbook book = Workbook::createBlank();
    Sheet& s = book.sheet(0);
    s.setNumber(0, 0, 42, 15);
    s.setNumber(0, 1, 0.1, 15);
    s.setText(2, 0, "日本語テキスト", 15);
    s.setBoolean(3, 0, true, 15);
    s.setError(3, 1, 0x07, 15);
    s.setBlank(4, 0, 15);
    std::string longJapanese;
    for (int i = 0; i < 32767; ++i) longJapanese += "あ";
    s.setText(10, 0, longJapanese, 15);
    s.setText(65535, 255, std::string(32767, 'x'), 15);
    for (int i = 0; i < 3000; ++i) s.setText(100 + i, 1, "s" + std::to_string(i), 15);
    const auto r = readBack(book);
    const auto ws = r.sheet(0);
    EXPECT_EQ(ws.find(0, 0)->number, 42);
    EXPECT_EQ(ws.find(0, 1)->number, 0.1);
    EXPECT_EQ(ws.find(2, 0)->text, "日本語テキスト");
    EXPECT_EQ(ws.find(3, 0)->type, biff::CellType::Boolean);
    EXPECT_EQ(ws.find(3, 1)->code, 0x07);
    EXPECT_EQ(ws.find(4, 0)->type, biff::CellType::Blank);
    EXPECT_EQ(ws.find(10, 0)->text, longJapanese);
    EXPECT_EQ(ws.find(65535, 255)->text, std::string(32767, 'x'));
    EXPECT_EQ(ws.find(3099, 1)->text, "s2999");
    EXPECT_EQ(ws.dimLastRowPlus1, 65536u);
    EXPECT_TRUE(r.globals.warnings.empty());
}

TEST(Edit, StylesFormatsWidthsAndRows) {
    Workbook book = Workbook::createBlank();
    CellStyle st = book.style(15);
    st.horizontal = 2;
    st.wrap = true;
    st.top = {2, 10};
    st.fillPattern = 1;
    st.patternColor = 13;
    st.numberFormat = book.addNumberFormat("yyyy\"年\"m\"月\"d\"日\"");
    EXPECT_GE(st.numberFormat, 164);
    EXPECT_EQ(book.addNumberFormat("yyyy\"年\"m\"月\"d\"日\""), st.numberFormat);
    EXPECT_EQ(book.addNumberFormat("0.00"), 2);
    st.alignmentUsed = st.borderUsed = st.fillUsed = st.numberFormatUsed = true;
    const std::uint16_t xf = book.styleIndex(st);
    EXPECT_EQ(xf, 21);
    EXPECT_EQ(book.styleIndex(st), xf);
    EXPECT_EQ(book.styleIndex(book.style(15)), 15);
    Sheet& s = book.sheet(0);
    s.setNumber(1, 1, 45000, xf);
    s.setXf(2, 2, xf);
    s.setColumnWidth(1, 3, 5000);
    s.setColumnXf(5, 5, xf);
    s.setRowHeight(4, 600);
    s.setRowHeight(6, 0);
    s.setRowXf(7, xf);
    const auto r = readBack(book);
    EXPECT_EQ(r.globals.formats.at(st.numberFormat), "yyyy\"年\"m\"月\"d\"日\"");
    ASSERT_EQ(r.globals.xfs.size(), 22u);
    EXPECT_EQ(r.globals.xfs[21].format, st.numberFormat);
    const auto ws = r.sheet(0);
    EXPECT_EQ(ws.find(2, 2)->xf, xf);
    ASSERT_EQ(ws.columns.size(), 2u);
    EXPECT_EQ(ws.columns[0].firstCol, 1);
    EXPECT_EQ(ws.columns[0].lastCol, 3);
    EXPECT_EQ(ws.columns[0].width, 5000);
    EXPECT_EQ(ws.columns[1].xf, xf);
    auto rowInfo = [&](std::uint16_t row) {
        for (const auto& ri : ws.rows)
            if (ri.row == row) return ri;
        return biff::RowInfo{};
    };
    EXPECT_EQ(rowInfo(4).height, 600);
    EXPECT_TRUE(rowInfo(6).hidden);
    EXPECT_TRUE(rowInfo(7).hasXf);
    EXPECT_EQ(rowInfo(7).xf, xf);
    // Reloading keeps the new format and style.
    auto again = Workbook::fromStream(r.stream);
    EXPECT_EQ(again.style(xf), st);
}

TEST(Edit, StyleTableStopsAtTheFormatsLimit) {
    Workbook book = Workbook::createBlank();
    CellStyle st = book.style(15);
    for (std::size_t i = book.styleCount(); i < kMaxXfs; ++i) {
        st.rotation = static_cast<std::uint8_t>(i % 180);
        st.indent = static_cast<std::uint8_t>(i / 180);
        book.styleIndex(st);
    }
    EXPECT_EQ(book.styleCount(), kMaxXfs);
    st.fillPattern = 3;
    EXPECT_THROW(book.styleIndex(st), BookError);
}

TEST(Edit, ReplacingHyperlinksFindsEveryLinkUnderTheCell) {
    Workbook book = Workbook::createBlank();
    Sheet& s = book.sheet(0);
    auto targets = [&s] {
        std::vector<std::string> out;
        for (const auto& h : s.hyperlinks()) out.push_back(h.target);
        return out;
    };
    s.addHyperlink({5, 1, 6, 1}, "a.xls", "");
    s.removeHyperlinks({7, 1, 7, 1});  // below every link
    s.addHyperlink({7, 1, 7, 1}, "b.xls", "");
    s.addHyperlink({2, 1, 2, 1}, "c.xls", "");  // above the others
    s.removeHyperlinks({6, 0, 6, 5});
    EXPECT_EQ(targets(), (std::vector<std::string>{"b.xls", "c.xls"}));
    // Rows deleted above move the links up; the next clearing sees them there.
    s.deleteRows(0, 1);
    s.removeHyperlinks({5, 1, 5, 1});
    EXPECT_EQ(targets(), (std::vector<std::string>{"c.xls"}));
    s.addHyperlink({9, 1, 9, 1}, "d.xls", "");
    s.removeHyperlinks({9, 1, 9, 1});
    s.removeHyperlinks({0, 1, 0, 1});
    EXPECT_TRUE(targets().empty());
}

// Links loaded from a file are read only when asked for: read before the
// rows move or after, by a save or by the next link added, they come out the
// same, a tooltip with its link.
TEST(Edit, LinksReadLateAreTheLinksReadEarly) {
    const auto stream =
        testing::workbookStreamOf(std::filesystem::path(MOKUJI_TEST_DATA_DIR) /
                                  "corpus/PHPOffice__PhpSpreadsheet/30template.xls");
    Workbook early = Workbook::fromStream(stream);
    Workbook late = Workbook::fromStream(stream);
    ASSERT_EQ(early.sheet(0).hyperlinks().size(), 2u);  // rows 17 and 18
    ASSERT_EQ(early.sheet(0).hyperlinks()[0].rawRecords.size(), 2u);
    for (Workbook* book : {&early, &late}) {
        book->sheet(0).deleteRows(2, 3);
        book->sheet(0).removeHyperlinks({16, 4, 16, 4});
    }
    EXPECT_EQ(late.serialize(), early.serialize());
    for (Workbook* book : {&early, &late}) book->sheet(0).addHyperlink({20, 1, 20, 1}, "z.xls", "");
    const auto& got = late.sheet(0).hyperlinks();
    const auto& want = early.sheet(0).hyperlinks();
    ASSERT_EQ(got.size(), 2u);
    ASSERT_EQ(want.size(), 2u);
    EXPECT_EQ(got[0].area, (formula::Area{15, 4, 15, 4}));
    EXPECT_EQ(got[0].target, "http://www.phpexcel.net/");
    EXPECT_EQ(got[0].rawRecords, want[0].rawRecords);
    EXPECT_EQ(got[1].target, "z.xls");
    EXPECT_EQ(late.serialize(), early.serialize());

    Workbook deleted = Workbook::fromStream(stream);
    deleted.sheet(0).deleteRows(17, 18);
    EXPECT_TRUE(readBack(deleted).sheet(0).hyperlinks.empty());
}

TEST(Edit, NamesHyperlinksMergesAndDeleteRows) {
    Workbook book = Workbook::createBlank();
    Sheet& s = book.sheet(0);
    for (std::uint32_t r = 0; r < 10; ++r) s.setNumber(r, 0, r, 15);
    s.addHyperlink({8, 1, 8, 1}, "http://example.com/a", "site");
    s.addHyperlink({9, 1, 9, 1}, "a.xls", "file");
    s.addMergedRange({2, 2, 5, 3});
    s.setRowHeight(9, 500);
    s.deleteRows(3, 4);
    book.setName("Total", std::nullopt, {0, 0, {1, 0, 7, 0}});
    book.setName("Here", 1, {1, 1, {0, 0, 0, 0}});
    book.setName("total", std::nullopt, {2, 2, {0, 0, 3, 3}});  // replaces Total
    EXPECT_THROW(book.setName("A1", std::nullopt, {0, 0, {}}), BookError);
    EXPECT_THROW(book.setName("R1C1", std::nullopt, {0, 0, {}}), BookError);
    EXPECT_THROW(book.setName("a b", std::nullopt, {0, 0, {}}), BookError);

    const auto r = readBack(book);
    ASSERT_EQ(r.globals.names.size(), 2u);
    EXPECT_EQ(r.globals.names[0].name, "total");
    EXPECT_EQ(r.globals.names[1].sheetIndex, 2);
    auto again = Workbook::fromStream(r.stream);
    EXPECT_EQ(again.nameRefersTo(0), "=Sheet3!$A$1:$D$4");
    EXPECT_EQ(again.nameRefersTo(1), "=Sheet2!$A$1");
    ASSERT_EQ(again.nameAreas(0).size(), 1u);

    const auto ws = r.sheet(0);
    EXPECT_EQ(ws.find(2, 0)->number, 2);
    EXPECT_EQ(ws.find(3, 0)->number, 5);
    EXPECT_EQ(ws.find(7, 0)->number, 9);
    EXPECT_EQ(ws.find(8, 0), nullptr);
    ASSERT_EQ(ws.hyperlinks.size(), 2u);
    EXPECT_EQ(ws.hyperlinks[0].target, "http://example.com/a");
    EXPECT_EQ(ws.hyperlinks[0].display, "site");
    EXPECT_EQ(ws.hyperlinks[0].firstRow, 6);
    EXPECT_EQ(ws.hyperlinks[1].target, "a.xls");
    EXPECT_EQ(ws.hyperlinks[1].firstRow, 7);
    ASSERT_EQ(again.sheet(0).mergedRanges().size(), 1u);
    EXPECT_EQ(again.sheet(0).mergedRanges()[0], (formula::Area{2, 2, 3, 3}));
    ASSERT_NE(again.sheet(0).row(7), nullptr);
    EXPECT_EQ(again.sheet(0).row(7)->height, 500);
}

// A loaded sheet's rows stay in the file until used: looked at, deleted
// unread, changed, or moved up by a deletion above, each comes out right.
TEST(Edit, RowsLoadedFromAFileAreRightHoweverTheyAreUsed) {
    Workbook made = Workbook::createBlank();
    for (std::uint32_t r = 0; r < 10; ++r) {
        made.sheet(0).setNumber(r, 0, r, 15);
        made.sheet(0).setText(r, 1, "t" + std::to_string(r), 15);
        made.sheet(0).setBlank(r, 2, 15);
    }
    Workbook book = Workbook::fromStream(made.serialize());
    Sheet& s = book.sheet(0);
    EXPECT_EQ(s.cells().size(), 30u);
    ASSERT_NE(s.find(8, 1), nullptr);
    EXPECT_EQ(s.find(8, 1)->text, "t8");
    s.deleteRows(2, 4);              // rows 5-9 move up to 2-6, unread
    s.setText(3, 1, "changed", 15);  // the old row 6
    EXPECT_EQ(s.cells().size(), 21u);

    const auto ws = readBack(book).sheet(0);
    EXPECT_EQ(ws.find(1, 1)->text, "t1");
    EXPECT_EQ(ws.find(2, 0)->number, 5);
    EXPECT_EQ(ws.find(3, 1)->text, "changed");
    EXPECT_EQ(ws.find(6, 1)->text, "t9");
    ASSERT_NE(ws.find(6, 2), nullptr);
    EXPECT_EQ(ws.find(6, 2)->type, biff::CellType::Blank);
    EXPECT_EQ(ws.find(7, 0), nullptr);
}

TEST(Edit, RenameDeleteAndActivateSheets) {
    Workbook book = Workbook::createBlank();
    EXPECT_THROW(book.renameSheet(0, "sheet2"), BookError);  // case-insensitive clash
    EXPECT_THROW(book.renameSheet(0, "a/b"), BookError);
    EXPECT_THROW(book.renameSheet(0, ""), BookError);
    EXPECT_THROW(book.renameSheet(0, std::string(32, 'a')), BookError);
    book.renameSheet(0, "一覧");
    EXPECT_EQ(book.findSheet("一覧"), 0u);
    book.setName("OnThird", std::nullopt, {2, 2, {0, 0, 0, 0}});
    book.setName("Local", 2, {0, 0, {0, 0, 0, 0}});
    book.sheet(2).setText(0, 0, "third", 15);
    book.setActiveSheet(2);
    book.deleteSheet(1);
    ASSERT_EQ(book.sheetCount(), 2u);
    EXPECT_EQ(book.activeSheet(), 1u);
    const auto r = readBack(book);
    ASSERT_EQ(r.globals.sheets.size(), 2u);
    EXPECT_EQ(r.globals.sheets[0].name, "一覧");
    EXPECT_EQ(r.sheet(1).find(0, 0)->text, "third");
    auto again = Workbook::fromStream(r.stream);
    EXPECT_EQ(again.activeSheet(), 1u);
    ASSERT_EQ(again.names().size(), 2u);
    EXPECT_EQ(again.nameRefersTo(0), "=Sheet3!$A$1");
    EXPECT_EQ(again.names()[1].scope, 1u);
    // Deleting the sheet a name points at leaves #REF!.
    again.deleteSheet(1);
    EXPECT_TRUE(again.nameAreas(0).empty());
    EXPECT_EQ(again.names().size(), 1u);
    EXPECT_THROW(again.deleteSheet(0), BookError);
    EXPECT_NO_THROW(biff::parseGlobals(again.serialize()));
}

}  // namespace
}  // namespace xls::book
