// A list file made where the folder has none.

#include <gmock/gmock.h>

#include "engine/list_workbook_fixture.h"

namespace mokuji::engine {
namespace {

using automation::Date;
using automation::Variant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class CreatedList : public ListWorkbookTest {
  protected:
    void SetUp() override {
        setColumns({{"P_ファイル名", 0, 0}, {"担当者", 2, 3}, {"期限", 5, 4}});
        rows.rows = {{"a.xls", {Variant("a.xls"), Variant("鈴木"), Variant(Date{38425})}},
                     {"b.xls", {Variant("b.xls"), Variant("佐藤"), Variant()}}};
        result = build();
    }
    ListWorkbookResult result;
};

TEST_F(CreatedList, HeaderRowThreeWithHiddenNumberRowsBelow) {
    const auto& s = saved();
    EXPECT_EQ(s.value(3, 2), Variant("No."));
    EXPECT_EQ(s.value(3, 3), Variant("FILE名"));
    EXPECT_EQ(s.value(3, 4), Variant("担当者"));
    EXPECT_EQ(s.value(3, 5), Variant("期限"));
    EXPECT_EQ(s.value(4, 4), Variant(2.0));
    EXPECT_EQ(s.value(5, 4), Variant(3.0));
    EXPECT_EQ(s.value(4, 5), Variant(5.0));
    EXPECT_EQ(s.value(5, 5), Variant(4.0));
    // The file-name column has no numbers of its own.
    EXPECT_TRUE(s.value(4, 3).isEmpty());
    EXPECT_TRUE(s.value(5, 3).isEmpty());
    EXPECT_EQ(s.formats.at("4:5").at("RowHeight"), "0");
    for (int c : {2, 3, 4, 5}) {
        EXPECT_EQ(s.formats.at(fake::grid::a1(3, c)).at("Interior.ColorIndex"), "6") << c;
        EXPECT_EQ(s.formats.at(fake::grid::a1(3, c)).at("Interior.Pattern"), "1") << c;
    }
}

TEST_F(CreatedList, WorkbookNamesMarkTheHeaderCells) {
    const auto& names = savedBook().names;
    EXPECT_EQ(names.at("No."), "=目次!R3C2");
    EXPECT_EQ(names.at("P_ファイル名"), "=目次!R3C3");
    EXPECT_EQ(names.at("担当者"), "=目次!R3C4");
    EXPECT_EQ(names.at("期限"), "=目次!R3C5");
}

TEST_F(CreatedList, DataRowsFromRowSixWithLinkedFileNames) {
    const auto& s = saved();
    EXPECT_EQ(s.value(6, 2), Variant(1.0));
    EXPECT_EQ(s.value(6, 3), Variant("a.xls"));
    EXPECT_EQ(s.value(6, 4), Variant("鈴木"));
    EXPECT_EQ(s.value(6, 5), Variant(Date{38425}));
    EXPECT_EQ(s.value(7, 2), Variant(2.0));
    EXPECT_EQ(s.value(7, 3), Variant("b.xls"));
    EXPECT_TRUE(s.value(7, 5).isEmpty());
    EXPECT_EQ(s.lastRow(), 7);
    ASSERT_EQ(s.hyperlinks.size(), 2u);
    EXPECT_EQ(s.hyperlinks.at({6, 3}).address, "a.xls");
    EXPECT_EQ(s.hyperlinks.at({6, 3}).text, "a.xls");
    EXPECT_EQ(s.hyperlinks.at({7, 3}).address, "b.xls");
    EXPECT_EQ(result.rowsWritten, 2);
    EXPECT_EQ(result.rowsNotWritten, 0);
}

// Windows names are UTF-16 and always come as UTF-8.
#ifndef _WIN32
TEST_F(ListWorkbookTest, ANameThatIsNotUtf8ShowsDecodedAndLinksToItsBytes) {
    setColumns({{"P_ファイル名", 0, 0}});
    rows.rows = {fake::textRow({"\x83\x41.xls"})};  // "ア" in Shift_JIS
    build();
    const auto& s = saved();
    EXPECT_EQ(s.value(6, 3), Variant("ア.xls"));
    EXPECT_EQ(s.hyperlinks.at({6, 3}).text, "ア.xls");
    // Relative, so that it follows the list when the folder moves.
    EXPECT_EQ(s.hyperlinks.at({6, 3}).address, "%83A.xls");
}
#endif

TEST_F(CreatedList, ColumnsAlignmentAndBorders) {
    const auto& f = saved().formats;
    EXPECT_EQ(f.at("A:A").at("ColumnWidth"), "1");
    EXPECT_EQ(f.at("B:B").at("ColumnWidth"), "4");
    EXPECT_EQ(f.at("C:C").at("ColumnWidth"), "30");
    EXPECT_EQ(f.at("Cells").at("VerticalAlignment"), "-4160");
    EXPECT_EQ(f.at("Cells").at("MergeCells"), "false");
    EXPECT_EQ(f.at("B:B").at("HorizontalAlignment"), "1");
    EXPECT_EQ(f.at("B:B").at("WrapText"), "true");
    EXPECT_EQ(f.at("C:C").at("HorizontalAlignment"), "-4131");
    EXPECT_EQ(f.at("C:C").at("IndentLevel"), "0");
    for (const char* block : {"B3:E3", "B6:E7"}) {
        const auto& b = f.at(block);
        EXPECT_EQ(b.at("Borders(5).LineStyle"), "-4142") << block;
        EXPECT_EQ(b.at("Borders(6).LineStyle"), "-4142") << block;
        for (int i = 7; i <= 12; ++i) {
            std::string p = "Borders(" + std::to_string(i) + ").";
            EXPECT_EQ(b.at(p + "LineStyle"), "1") << block << i;
            EXPECT_EQ(b.at(p + "Weight"), "2") << block << i;
            EXPECT_EQ(b.at(p + "ColorIndex"), "-4105") << block << i;
        }
    }
}

TEST_F(CreatedList, OnlyTheListSheetIsKeptAndTheFileSavedUnderItsName) {
    ASSERT_EQ(savedBook().sheets.size(), 1u);
    EXPECT_EQ(saved().name, "目次");
    EXPECT_EQ(view.captions, std::vector<std::string>{"mokuji - 目次ファイル作成開始"});
    EXPECT_FALSE(result.updatedExisting);
    EXPECT_FALSE(result.saveFailure);
    std::vector<std::string> tail(world.log.end() - 3, world.log.end());
    EXPECT_THAT(tail, ElementsAre("DisplayAlerts=false",
                                  "SaveAs(FileName=" + kListPath +
                                      ",Password=,WriteResPassword=,ReadOnlyRecommended=false,"
                                      "CreateBackup=false)",
                                  "DisplayAlerts=true"));
}

TEST_F(ListWorkbookTest, SheetsBeyondTheThirdOfANewWorkbookStay) {
    world.sheetsInNewWorkbook = 5;
    setColumns({{"P_ファイル名", 0, 0}});
    build();
    std::vector<std::string> names;
    for (auto& s : savedBook().sheets) names.push_back(s->name);
    EXPECT_THAT(names, ElementsAre("目次", "Sheet4", "Sheet5"));
}

TEST_F(ListWorkbookTest, WithoutRowsTheBordersSpanTheRowAboveTheData) {
    setColumns({{"P_ファイル名", 0, 0}, {"担当者", 2, 3}});
    auto result = build();
    EXPECT_EQ(result.rowsWritten, 0);
    const auto& s = saved();
    EXPECT_EQ(s.lastRow(), 5);
    EXPECT_EQ(s.formats.at("B5:D6").at("Borders(9).LineStyle"), "1");
    EXPECT_THAT(s.hyperlinks, IsEmpty());
}

TEST_F(ListWorkbookTest, TextsArriveAsTheirTextHoweverTheyLook) {
    setColumns({{"P_ファイル名", 0, 0},
                {"a", 0, 0},
                {"b", 0, 0},
                {"c", 0, 0},
                {"d", 0, 0},
                {"e", 0, 0},
                {"f", 0, 0},
                {"g", 0, 0}});
    const std::vector<std::string> texts = {"=x.xls", "=1+2",     "-5",    "+3",
                                            "-x",     "@SUM(A1)", "'引用", "-1.5E3"};
    rows.rows = {fake::textRow(texts)};
    build();
    const auto& s = saved();
    for (int c = 3; c <= 10; ++c) {
        EXPECT_FALSE(s.at(6, c)->formula) << c;
        EXPECT_EQ(s.value(6, c), Variant(texts[static_cast<std::size_t>(c - 3)])) << c;
    }
    // The link still points at the file as named.
    EXPECT_EQ(s.hyperlinks.at({6, 3}).address, "=x.xls");
}

TEST_F(ListWorkbookTest, FieldsGoToTheNamedColumnsInOrderPastFreeEntries) {
    table.g_item_name[1] = "担当者";
    table.g_item_name[3] = "P_ファイル名";
    table.g_item_name[6] = "期限";
    rows.rows = {{"a.xls", {Variant("鈴木"), Variant("a.xls"), Variant(2005.0)}}};
    build();
    const auto& s = saved();
    // The file-name header sits where the table puts the column; C3 keeps
    // "FILE名" and also carries the first column's name.
    EXPECT_EQ(s.value(3, 3), Variant("FILE名"));
    EXPECT_EQ(s.value(3, 4), Variant("P_ファイル名"));
    EXPECT_EQ(s.value(3, 5), Variant("期限"));
    EXPECT_TRUE(s.value(3, 6).isEmpty());
    EXPECT_EQ(s.value(6, 3), Variant("鈴木"));
    EXPECT_EQ(s.value(6, 4), Variant("a.xls"));
    EXPECT_EQ(s.value(6, 5), Variant(2005.0));
    EXPECT_TRUE(s.value(6, 6).isEmpty());
    ASSERT_EQ(s.hyperlinks.size(), 1u);
    EXPECT_EQ(s.hyperlinks.at({6, 4}).address, "a.xls");
    EXPECT_EQ(s.formats.count("B6:E6"), 1u);
}

TEST_F(ListWorkbookTest, FailingOperationsAreSkippedAndTheRestIsWritten) {
    world.failing = {"Range.ColumnWidth", "Border.Weight", "Hyperlinks.Add"};
    setColumns({{"P_ファイル名", 0, 0}, {"担 当", 2, 3}, {"期限", 5, 4}});
    rows.rows = {fake::textRow({"a.xls", "鈴木", "明日"})};
    auto result = build();
    EXPECT_FALSE(result.saveFailure);
    EXPECT_THAT(result.namesNotAdded, ElementsAre("担 当"));
    EXPECT_THAT(result.rowsFailed, IsEmpty());
    const auto& s = saved();
    // A name the application refuses: no workbook name, header and numbers
    // all the same.
    EXPECT_EQ(savedBook().names.count("担 当"), 0u);
    EXPECT_EQ(savedBook().names.at("期限"), "=目次!R3C5");
    EXPECT_EQ(s.value(3, 4), Variant("担 当"));
    EXPECT_EQ(s.value(4, 4), Variant(2.0));
    EXPECT_EQ(s.value(6, 5), Variant("明日"));
    EXPECT_EQ(s.formats.at("B6:E6").at("Borders(7).LineStyle"), "1");
    EXPECT_EQ(s.formats.at("B6:E6").count("Borders(7).Weight"), 0u);
    EXPECT_THAT(s.hyperlinks, IsEmpty());
}

TEST_F(ListWorkbookTest, RowsBeyondTheLastRowOfTheSheetAreCountedNotWritten) {
    setColumns({{"P_ファイル名", 0, 0}});
    const int room = 65536 - 5;
    for (int i = 0; i < room + 2; ++i)
        rows.rows.push_back(fake::textRow({"w" + std::to_string(i)}));
    auto result = build();
    EXPECT_EQ(result.rowsWritten, room);
    EXPECT_EQ(result.rowsNotWritten, 2);
    const auto& s = saved();
    EXPECT_EQ(s.lastRow(), 65536);
    EXPECT_EQ(s.value(65536, 2), Variant(static_cast<double>(room)));
    EXPECT_EQ(s.value(65536, 3), Variant("w" + std::to_string(room - 1)));
    EXPECT_EQ(s.formats.count("B6:C65536"), 1u);
}

TEST_F(ListWorkbookTest, FailedSaveIsReportedWithItsReason) {
    world.failing = {"Workbook.SaveAs"};
    setColumns({{"P_ファイル名", 0, 0}});
    auto result = build();
    ASSERT_TRUE(result.saveFailure);
    EXPECT_EQ(result.saveFailure->path, kListPath);
    EXPECT_EQ(result.saveFailure->detail, "Workbook.SaveAs failed");
    EXPECT_EQ(world.log.back(), "DisplayAlerts=true");
}

}  // namespace
}  // namespace mokuji::engine
