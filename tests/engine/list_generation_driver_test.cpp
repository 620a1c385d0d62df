#include "engine/list_generation_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/list_workbook_builder.h"
#include "support/fake_application.h"
#include "support/fake_grid_application.h"
#include "support/recording_view.h"
#include "util/path_names.h"

namespace mokuji::engine {
namespace {

using automation::Currency;
using automation::Date;
using automation::ErrorValue;
using automation::Variant;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

const std::string kDir = std::string("data") + util::kPathSeparator;

class RunTest : public ::testing::Test {
  protected:
    void SetUp() override { app::FillPropertyNames(prop_name); }

    void setColumns(std::vector<std::tuple<std::string, int, int>> cols) {
        int j = 0;
        for (auto& [name, row, col] : cols) {
            ++j;
            table.g_item_name[j] = name;
            table.g_item_row[j] = row;
            table.g_item_col[j] = col;
        }
    }

    RunOutcome run(const ListPhase& phase = {}) {
        RunRequest req{list, kDir + "00_目次.xls", table, prop_name, "mokuji"};
        return sub_mokuji_make(req, fake::factoryFor(world), view, phase);
    }

    fake::World world;
    fake::RecordingView view;
    ColumnTable table;
    app::PropertyNameTable prop_name;
    std::vector<ListEntry> list;
};

TEST_F(RunTest, RowHoldsFileNameNamedCellAndPropertyInColumnOrder) {
    setColumns({{"P_ファイル名", 0, 0}, {"担当者", 2, 3}, {"P_作成者", 99999, 99999}});
    auto& book = world.books[kDir + "a.xls"];
    book.names["担当者"] = Variant("鈴木");
    book.properties[3] = {4, Variant("山田")};
    list = {{"a.xls", true}};

    RunOutcome out = run();
    EXPECT_THAT(out.rows.row_text, ElementsAre("a.xls\t鈴木\t山田\t"));
    EXPECT_TRUE(out.skipped.empty());
}

TEST_F(RunTest, PropertiesAndValuesBecomeTextTheWayColumnsShowThem) {
    setColumns({{"P_作成日時", 0, 0},
                {"P_印刷日時", 0, 0},
                {"P_改訂番号", 0, 0},
                {"P_ページ数", 0, 0},
                {"金額", 0, 0},
                {"期限", 0, 0},
                {"済", 0, 0},
                {"P_Foo", 0, 0}});
    auto& book = world.books[kDir + "a.xls"];
    book.properties[11] = {3, Variant(Date{38425.378})};  // 2005-03-14 09:04:19
    book.properties[8] = {4, Variant("12")};
    book.properties[14] = {1, Variant(std::int32_t{3})};
    book.names["金額"] = Variant(Currency{12345000});
    book.names["期限"] = Variant(Date{38425.378472222});
    book.names["済"] = Variant(true);
    book.names["P_Foo"] = Variant(3.14);
    list = {{"a.xls", true}};

    RunOutcome out = run();
    // The print date was never set: empty, and the row is still stored.
    EXPECT_THAT(out.rows.row_text,
                ElementsAre("2005/03/14\t\t12\t3\t1234.5\t2005/03/14 9:05:00\tTrue\t3.14\t"));
}

TEST_F(RunTest, FallbackCellOnlyWhenTheNameFailsAndBothNumbersAreUsable) {
    setColumns({{"無い名前", 5, 2},
                {"複数セル", 5, 2},
                {"エラー値", 5, 2},
                {"空のセル", 5, 2},
                {"行なし", 99999, 2},
                {"列ゼロ", 5, 0},
                {"範囲外", 70000, 2}});
    auto& book = world.books[kDir + "a.xls"];
    book.names["複数セル"] = fake::severalCells();
    book.names["エラー値"] = Variant(ErrorValue{2042});
    book.names["空のセル"] = Variant();
    book.firstSheetCells[{5, 2}] = Variant("控え");
    list = {{"a.xls", true}};

    RunOutcome out = run();
    ASSERT_EQ(out.rows.row_text.size(), 1u);
    EXPECT_EQ(out.rows.row_text[0], "控え\t控え\t控え\t\t\t\t\t");
}

TEST_F(RunTest, FallbackOnAChartSheetGivesEmptyText) {
    setColumns({{"無い名前", 1, 1}});
    auto& book = world.books[kDir + "a.xls"];
    book.firstSheetIsChart = true;
    list = {{"a.xls", true}};
    EXPECT_THAT(run().rows.row_text, ElementsAre("\t"));
}

TEST_F(RunTest, FileNameColumnAloneOrAnEmptyTableYieldsNoRow) {
    world.books[kDir + "a.xls"];
    list = {{"a.xls", true}};
    EXPECT_TRUE(run().rows.row_text.empty());
    setColumns({{"P_ファイル名", 0, 0}});
    EXPECT_TRUE(run().rows.row_text.empty());
}

TEST_F(RunTest, FreeEntriesBetweenColumnsAreSkipped) {
    table.g_item_name[1] = "P_ファイル名";
    table.g_item_name[3] = "担当者";
    world.books[kDir + "a.xls"].names["担当者"] = Variant("鈴木");
    list = {{"a.xls", true}};
    EXPECT_THAT(run().rows.row_text, ElementsAre("a.xls\t鈴木\t"));
}

TEST_F(RunTest, TabInsideAValueIsPassedOnUnchanged) {
    setColumns({{"備考", 0, 0}, {"担当者", 0, 0}});
    auto& book = world.books[kDir + "a.xls"];
    book.names["備考"] = Variant("前\t後");
    book.names["担当者"] = Variant("鈴木");
    list = {{"a.xls", true}};
    EXPECT_THAT(run().rows.row_text, ElementsAre("前\t後\t鈴木\t"));
}

TEST_F(RunTest, OpensEachSelectedWorkbookReadOnlyWithEventsOff) {
    setColumns({{"担当者", 0, 0}});
    world.books[kDir + "a.xls"].names["担当者"] = Variant("A");
    world.books["/elsewhere/c.xls"].names["担当者"] = Variant("C");
    list = {{"a.xls", true}, {"b.xls", false}, {"/elsewhere/c.xls", true}};
    if (util::kPathSeparator == '\\') list[2].text = R"(C:\elsewhere\c.xls)";
    if (util::kPathSeparator == '\\')
        world.books[R"(C:\elsewhere\c.xls)"] = world.books["/elsewhere/c.xls"];

    RunOutcome out = run();
    EXPECT_THAT(out.rows.row_text, ElementsAre("A\t", "C\t"));
    // An unselected entry is neither opened nor shown.
    EXPECT_THAT(view.captions, ElementsAre("mokuji - [a.xls]", "mokuji - [c.xls]"));
    std::vector<std::string> expectedStart = {
        "Workbooks.Close",
        "EnableEvents=false",
        "Open(" + kDir + "a.xls,UpdateLinks=0,ReadOnly=true,IgnoreReadOnlyRecommended=true)",
        "Range(担当者)",
        "EnableEvents=true",
        "Workbook.Close(SaveChanges=false)"};
    ASSERT_GE(world.log.size(), expectedStart.size());
    EXPECT_EQ(std::vector<std::string>(world.log.begin(), world.log.begin() + 6), expectedStart);
    EXPECT_THAT(std::vector<std::string>(world.log.end() - 3, world.log.end()),
                ElementsAre("Workbooks.Close", "DisplayAlerts=false", "Quit"));
    EXPECT_EQ(world.applicationsCreated, 1);
    EXPECT_EQ(world.applicationsAlive, 0);
}

TEST_F(RunTest, WindowIsBusyDuringTheRunAndRestoredAfterIt) {
    setColumns({{"担当者", 0, 0}});
    world.books[kDir + "a.xls"].names["担当者"] = Variant("A");
    list = {{"a.xls", true}};
    bool busyDuringListPhase = false;
    run([&](automation::Application&, const RowStore&) {
        busyDuringListPhase = !view.enabled && view.pointer == platform::kPointerHourglass;
        return ListWorkbookResult{};
    });
    EXPECT_TRUE(busyDuringListPhase);
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.pointer, platform::kPointerDefault);
    EXPECT_EQ(view.yields, 2);  // after the reads and after the close
    EXPECT_EQ(view.events.front(), "pointer:11");
    EXPECT_EQ(view.events.back(), "pointer:0");
}

TEST_F(RunTest, MissingApplicationShowsTheMessageAndLeavesTheWindowAlone) {
    world.failCreation = true;
    list = {{"a.xls", true}};
    RunOutcome out = run();
    EXPECT_FALSE(out.applicationStarted);
    EXPECT_THAT(view.messages,
                ElementsAre("EXCELがインストールされていないので、利用できません。"));
    EXPECT_THAT(view.events, ElementsAre("message"));
}

TEST_F(RunTest, UnopenableWorkbooksAreSkippedAndNamedOnceAtTheEnd) {
    setColumns({{"担当者", 0, 0}});
    world.books[kDir + "a.xls"].openFailure = automation::OpenFailure::Encrypted;
    world.books[kDir + "b.xls"].names["担当者"] = Variant("B");
    world.books[kDir + "c.xls"].openFailure = automation::OpenFailure::Damaged;
    list = {{"a.xls", true}, {"b.xls", true}, {"c.xls", true}, {"gone.xls", true}};

    RunOutcome out = run();
    EXPECT_THAT(out.rows.row_text, ElementsAre("B\t"));
    ASSERT_EQ(out.skipped.size(), 3u);
    ASSERT_EQ(view.messages.size(), 1u);
    const std::string& m = view.messages[0];
    EXPECT_THAT(m, HasSubstr("a.xls（パスワードで保護されています）\r\n"));
    EXPECT_THAT(m, HasSubstr("c.xls（ファイルが壊れています）\r\n"));
    EXPECT_THAT(m, HasSubstr("gone.xls（ファイルが見つかりません）\r\n"));
    // The message comes once the window is usable again.
    EXPECT_EQ(view.events.back(), "message");
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(world.applicationsAlive, 0);
}

TEST_F(RunTest, FailingListPhaseStillShutsTheApplicationDown) {
    setColumns({{"担当者", 0, 0}});
    world.books[kDir + "a.xls"].names["担当者"] = Variant("A");
    list = {{"a.xls", true}};
    int rowsSeen = -2;
    run([&](automation::Application&, const RowStore& rows) -> ListWorkbookResult {
        rowsSeen = rows.row_max();
        throw automation::AutomationError(1004, "save failed");
    });
    EXPECT_EQ(rowsSeen, 0);
    EXPECT_EQ(world.log.back(), "Quit");
    EXPECT_EQ(world.applicationsAlive, 0);
    EXPECT_TRUE(view.enabled);
}

TEST_F(RunTest, EveryWorkbookYieldsItsRowBeyondTheOldLimit) {
    setColumns({{"P_ファイル名", 0, 0}, {"番号", 0, 0}});
    for (int i = 0; i < 5100; ++i) {
        std::string name = "w" + std::to_string(i) + ".xls";
        world.books[kDir + name].names["番号"] = Variant(static_cast<double>(i));
        list.push_back({name, true});
    }
    RunOutcome out = run();
    ASSERT_EQ(out.rows.row_max(), 5099);
    EXPECT_EQ(out.rows.row_text[5099], "w5099.xls\t5099\t");
}

TEST_F(RunTest, UnsavedListFileIsNamedInAMessageOfItsOwnAfterTheRun) {
    world.books[kDir + "a.xls"].openFailure = automation::OpenFailure::Damaged;
    list = {{"a.xls", true}};
    RunOutcome out = run([](automation::Application&, const RowStore&) {
        ListWorkbookResult r;
        r.saveFailure = ListSaveFailure{"data/00_目次.xls", "disk full"};
        return r;
    });
    ASSERT_EQ(view.messages.size(), 2u);
    EXPECT_EQ(view.messages[1],
              "目次ファイルを保存できませんでした。\r\ndata/00_目次.xls\r\ndisk full\r\n");
    EXPECT_EQ(view.events.back(), "message");
    EXPECT_TRUE(view.enabled);
    EXPECT_TRUE(out.list.saveFailure);
}

TEST(RunWithListPhase, BuiltListIsSavedOrItsFailureShown) {
    fake::grid::World world;
    fake::RecordingView view;
    ColumnTable table;
    table.g_item_name[1] = "P_ファイル名";
    app::PropertyNameTable prop_name;
    std::vector<ListEntry> list;
    RunRequest req{list, kDir + "00_目次.xls", table, prop_name, "mokuji"};
    ListContext ctx{util::FolderOf(req.g_mokuji_path), req.programName, table, view,
                    [&](const std::string& p) { return world.exists(p); }};
    auto factory = [&] { return std::make_unique<fake::grid::GridApplication>(world); };
    auto phase = [&](automation::Application& xl, const RowStore& rows) {
        return BuildListWorkbook(xl, rows, ctx);
    };

    world.failing = {"Workbook.SaveAs"};
    RunOutcome out = sub_mokuji_make(req, factory, view, phase);
    EXPECT_THAT(view.captions, ElementsAre("mokuji - 目次ファイル作成開始"));
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_EQ(view.messages[0], "目次ファイルを保存できませんでした。\r\n" + kDir +
                                    "00_目次.xls\r\nWorkbook.SaveAs failed\r\n");
    EXPECT_TRUE(view.enabled);

    world.failing.clear();
    out = sub_mokuji_make(req, factory, view, phase);
    EXPECT_FALSE(out.list.saveFailure);
    EXPECT_EQ(view.messages.size(), 1u);
    EXPECT_TRUE(world.exists(kDir + "00_目次.xls"));
    EXPECT_EQ(world.log.back(), "Quit");
}

}  // namespace
}  // namespace mokuji::engine
