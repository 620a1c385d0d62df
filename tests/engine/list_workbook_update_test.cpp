// A list file that the folder already holds: its data rows are replaced.

#include <gmock/gmock.h>

#include "engine/list_workbook_fixture.h"

namespace mokuji::engine {
namespace {

using automation::Variant;
using fake::grid::typedEntry;

class UpdatedList : public ListWorkbookTest {
  protected:
    // A list someone laid out by hand: title rows, header at row 7, and an
    // earlier, longer list of rows below.
    void SetUp() override {
        auto book = std::make_shared<fake::grid::Book>();
        book->fullName = kListPath;
        auto sheet = std::make_shared<fake::grid::Sheet>();
        sheet->name = "目次";
        book->sheets = {sheet};
        book->active = sheet;
        book->names = {
            {"No.", "=目次!R7C2"}, {"P_ファイル名", "=目次!R7C3"}, {"担当者", "=目次!R7C4"}};
        auto put = [&](int r, int c, Variant v) { sheet->cells[{r, c}] = typedEntry(v); };
        put(1, 2, "不具合報告一覧");
        put(2, 2, "=TODAY()");
        put(7, 2, "No.");
        put(7, 3, "FILE名");
        put(7, 4, "担当者");
        put(8, 4, std::int32_t{2});
        put(9, 4, std::int32_t{3});
        sheet->formats["B7:D7"]["Borders(7).LineStyle"] = "1";
        for (int r = 10; r < 15; ++r) {
            put(r, 2, std::to_string(r - 9));
            put(r, 3, "old" + std::to_string(r) + ".xls");
            sheet->hyperlinks[{r, 3}] = {"old.xls", "old.xls"};
        }
        put(12000, 3, "ずっと下");
        world.files[kListPath] = book;
        before = *sheet;

        setColumns({{"P_ファイル名", 0, 0}, {"担当者", 2, 3}});
        rows.rows = {fake::textRow({"a.xls", "鈴木"}), fake::textRow({"b.xls", "佐藤"})};
    }
    fake::grid::Sheet before;
};

TEST_F(UpdatedList, DataFollowsTheHeaderRowOfTheNoName) {
    auto result = build();
    EXPECT_TRUE(result.updatedExisting);
    const auto& s = saved();
    EXPECT_EQ(s.value(10, 2), Variant(1.0));
    EXPECT_EQ(s.value(10, 3), Variant("a.xls"));
    EXPECT_EQ(s.value(10, 4), Variant("鈴木"));
    EXPECT_EQ(s.value(11, 2), Variant(2.0));
    EXPECT_EQ(s.value(11, 4), Variant("佐藤"));
    EXPECT_EQ(s.hyperlinks.at({11, 3}).address, "b.xls");
    EXPECT_EQ(s.formats.at("B10:D11").at("Borders(12).LineStyle"), "1");
    EXPECT_EQ(view.captions, std::vector<std::string>{"mokuji - 目次ファイル更新開始"});
}

TEST_F(UpdatedList, EverythingAboveTheDataIsKept) {
    build();
    const auto& s = saved();
    for (auto& [key, cell] : before.cells) {
        if (key.first >= 10) continue;
        EXPECT_EQ(s.value(key.first, key.second), cell.value) << key.first << "," << key.second;
    }
    EXPECT_EQ(s.at(2, 2)->formula, true);
    EXPECT_EQ(s.formats.at("B7:D7"), before.formats.at("B7:D7"));
    EXPECT_EQ(savedBook().names, world.files.at(kListPath)->names);
    EXPECT_EQ(savedBook().names.at("No."), "=目次!R7C2");
}

TEST_F(UpdatedList, NothingOfALongerEarlierListSurvives) {
    build();
    const auto& s = saved();
    EXPECT_EQ(s.lastRow(), 11);
    EXPECT_EQ(s.hyperlinks.size(), 2u);
}

TEST_F(UpdatedList, OpenedForWritingAndSavedInPlace) {
    build();
    EXPECT_TRUE(logged("Open(FileName=" + kListPath + ")"));
    EXPECT_TRUE(logged("Save(" + kListPath + ")"));
    EXPECT_FALSE(logged("Add"));
    EXPECT_EQ(world.log.back(), "DisplayAlerts=true");
}

TEST_F(UpdatedList, FailedSaveIsReported) {
    world.failing = {"Workbook.Save"};
    auto result = build();
    ASSERT_TRUE(result.saveFailure);
    EXPECT_EQ(result.saveFailure->path, kListPath);
    // The file on disk is the earlier one.
    EXPECT_EQ(world.files.at(kListPath)->sheets[0]->value(10, 3), Variant("old10.xls"));
}

// Another program may have renamed "No." (LibreOffice saves "No_") or
// dropped the names: the header is still found, and the rows of numbers
// below it are never written over.
TEST_F(UpdatedList, WithoutTheNoNameTheHeaderIsFoundByItsOtherNamesOrItsText) {
    for (const std::vector<std::string>& lost :
         {std::vector<std::string>{"No."}, {"No.", "P_ファイル名", "担当者"}}) {
        SetUp();
        for (const std::string& name : lost) world.files[kListPath]->names.erase(name);
        build();
        const auto& s = saved();
        EXPECT_EQ(s.value(10, 3), Variant("a.xls")) << lost.size();
        EXPECT_EQ(s.value(8, 4), before.value(8, 4)) << lost.size();
        EXPECT_EQ(s.value(9, 4), before.value(9, 4)) << lost.size();
        EXPECT_EQ(s.lastRow(), 11) << lost.size();
    }
}

TEST_F(UpdatedList, HeaderNearTheEndLeavesRoomForFewRows) {
    world.files[kListPath]->names["No."] = "=目次!R65530C2";
    rows.rows.assign(10, fake::textRow({"x.xls", "山田"}));
    auto result = build();
    EXPECT_EQ(result.rowsWritten, 4);
    EXPECT_EQ(result.rowsNotWritten, 6);
    const auto& s = saved();
    EXPECT_EQ(s.value(65536, 2), Variant(4.0));
    EXPECT_EQ(s.lastRow(), 65536);
}

TEST_F(UpdatedList, ListFileThatCannotBeOpenedIsNotReplaced) {
    world.failing = {"Workbooks.Open"};
    auto result = build();
    ASSERT_TRUE(result.saveFailure);
    EXPECT_EQ(result.saveFailure->step, ListSaveFailure::Step::Open);
    EXPECT_FALSE(logged("Add"));
    EXPECT_EQ(world.files.at(kListPath)->sheets[0]->value(10, 3), Variant("old10.xls"));
}

TEST_F(ListWorkbookTest, SecondRunWithFewerWorkbooksReplacesTheRowsOfTheFirst) {
    setColumns({{"P_ファイル名", 0, 0}, {"担当者", 2, 3}});
    for (const char* name : {"a.xls", "b.xls", "c.xls", "d.xls"})
        rows.rows.push_back(fake::textRow({name, "1"}));
    build();
    rows.rows = {fake::textRow({"e.xls", "5"})};
    auto result = build();
    EXPECT_TRUE(result.updatedExisting);
    const auto& s = saved();
    EXPECT_EQ(s.value(6, 3), Variant("e.xls"));
    EXPECT_EQ(s.lastRow(), 6);
    EXPECT_EQ(s.hyperlinks.size(), 1u);
    EXPECT_EQ(s.value(3, 4), Variant("担当者"));
    EXPECT_EQ(world.booksAdded, 1);
}

}  // namespace
}  // namespace mokuji::engine
