#include "run/list_generation_driver.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "list_file/list_workbook_builder.h"
#include "os/path_names.h"
#include "support/fake_application.h"
#include "support/fake_grid_application.h"
#include "support/recording_view.h"
#include "support/row_texts.h"

namespace mokuji::engine {
namespace {

using automation::Currency;
using automation::Date;
using automation::ErrorValue;
using automation::Variant;
using ::testing::ElementsAre;

const std::string kDir = std::string("data") + util::kPathSeparator;

class RunTest : public ::testing::Test {
  protected:
    void SetUp() override { columns::FillPropertyNames(prop_name); }

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
        RunPlan plan{kDir, list, table, prop_name, "mokuji"};
        return MakeList(plan, fake::factoryFor(world), view, phase);
    }

    fake::World world;
    fake::RecordingView view;
    columns::ColumnTable table;
    columns::PropertyNameTable prop_name;
    std::vector<std::string> list;

    std::vector<std::vector<std::string>> rowTexts(const RunOutcome& out) {
        std::vector<std::vector<std::string>> texts;
        for (const auto& row : out.rows.rows) texts.push_back(fake::textsOf(row));
        return texts;
    }
};

using Texts = std::vector<std::string>;

TEST_F(RunTest, RowHoldsFileNameNamedCellAndPropertyInColumnOrder) {
    setColumns({{"P_ファイル名", 0, 0}, {"担当者", 2, 3}, {"P_作成者", 99999, 99999}});
    auto& book = world.books[kDir + "a.xls"];
    book.names["担当者"] = Variant("鈴木");
    book.properties[3] = {4, Variant("山田")};
    list = {"a.xls"};

    RunOutcome out = run();
    EXPECT_THAT(rowTexts(out), ElementsAre(Texts{"a.xls", "鈴木", "山田"}));
    EXPECT_TRUE(out.skipped.empty());
}

TEST_F(RunTest, PropertiesAndValuesKeepTheirTypes) {
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
    list = {"a.xls"};

    RunOutcome out = run();
    ASSERT_EQ(out.rows.rows.size(), 1u);
    // A date property is the day alone; the print date was never set:
    // empty, and the row is still stored.
    EXPECT_THAT(out.rows.rows[0].values,
                ElementsAre(Variant(Date{38425}), Variant(), Variant("12"),
                            Variant(std::int32_t{3}), Variant(Currency{12345000}),
                            Variant(Date{38425.378472222}), Variant(true), Variant(3.14)));
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
    list = {"a.xls"};

    RunOutcome out = run();
    EXPECT_THAT(rowTexts(out), ElementsAre(Texts{"控え", "控え", "控え", "", "", "", ""}));
}

TEST_F(RunTest, FallbackOnAChartSheetGivesEmptyText) {
    setColumns({{"無い名前", 1, 1}});
    auto& book = world.books[kDir + "a.xls"];
    book.firstSheetIsChart = true;
    list = {"a.xls"};
    EXPECT_THAT(rowTexts(run()), ElementsAre(Texts{""}));
}

TEST_F(RunTest, FileNameColumnAloneOrAnEmptyTableYieldsNoRow) {
    world.books[kDir + "a.xls"];
    list = {"a.xls"};
    EXPECT_TRUE(run().rows.rows.empty());
    setColumns({{"P_ファイル名", 0, 0}});
    EXPECT_TRUE(run().rows.rows.empty());
}

TEST_F(RunTest, FreeEntriesBetweenColumnsAreSkipped) {
    table.g_item_name[1] = "P_ファイル名";
    table.g_item_name[3] = "担当者";
    world.books[kDir + "a.xls"].names["担当者"] = Variant("鈴木");
    list = {"a.xls"};
    EXPECT_THAT(rowTexts(run()), ElementsAre(Texts{"a.xls", "鈴木"}));
}

TEST_F(RunTest, TabInsideAValueStaysInItsColumn) {
    setColumns({{"備考", 0, 0}, {"担当者", 0, 0}});
    auto& book = world.books[kDir + "a.xls"];
    book.names["備考"] = Variant("前\t後");
    book.names["担当者"] = Variant("鈴木");
    list = {"a.xls"};
    EXPECT_THAT(rowTexts(run()), ElementsAre(Texts{"前\t後", "鈴木"}));
}

TEST_F(RunTest, OpensEachWorkbookReadOnlyWithEventsOff) {
    setColumns({{"担当者", 0, 0}});
    world.books[kDir + "a.xls"].names["担当者"] = Variant("A");
    world.books["/elsewhere/c.xls"].names["担当者"] = Variant("C");
    list = {"a.xls", "/elsewhere/c.xls"};
    if (util::kPathSeparator == '\\') list[1] = R"(C:\elsewhere\c.xls)";
    if (util::kPathSeparator == '\\')
        world.books[R"(C:\elsewhere\c.xls)"] = world.books["/elsewhere/c.xls"];

    RunOutcome out = run();
    EXPECT_THAT(rowTexts(out), ElementsAre(Texts{"A"}, Texts{"C"}));
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
    list = {"a.xls"};
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

TEST_F(RunTest, MissingApplicationLeavesTheWindowAlone) {
    world.failCreation = true;
    list = {"a.xls"};
    RunOutcome out = run();
    EXPECT_FALSE(out.applicationStarted);
    EXPECT_TRUE(view.events.empty());
}

TEST_F(RunTest, UnopenableWorkbooksAreSkippedWithTheirReasons) {
    setColumns({{"担当者", 0, 0}});
    world.books[kDir + "a.xls"].openFailure = automation::OpenFailure::Encrypted;
    world.books[kDir + "b.xls"].names["担当者"] = Variant("B");
    world.books[kDir + "c.xls"].openFailure = automation::OpenFailure::Damaged;
    list = {"a.xls", "b.xls", "c.xls", "gone.xls"};

    RunOutcome out = run();
    EXPECT_THAT(rowTexts(out), ElementsAre(Texts{"B"}));
    ASSERT_EQ(out.skipped.size(), 3u);
    EXPECT_EQ(out.skipped[0].cause, automation::OpenFailure::Encrypted);
    EXPECT_EQ(out.skipped[1].cause, automation::OpenFailure::Damaged);
    EXPECT_EQ(out.skipped[2].cause, automation::OpenFailure::NotFound);
    EXPECT_EQ(out.skipped[2].fileName, "gone.xls");
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(world.applicationsAlive, 0);
}

TEST_F(RunTest, FailingListPhaseStillShutsTheApplicationDown) {
    setColumns({{"担当者", 0, 0}});
    world.books[kDir + "a.xls"].names["担当者"] = Variant("A");
    list = {"a.xls"};
    std::size_t rowsSeen = 0;
    run([&](automation::Application&, const RowStore& rows) -> ListWorkbookResult {
        rowsSeen = rows.rows.size();
        throw automation::AutomationError(1004, "save failed");
    });
    EXPECT_EQ(rowsSeen, 1u);
    EXPECT_EQ(world.log.back(), "Quit");
    EXPECT_EQ(world.applicationsAlive, 0);
    EXPECT_TRUE(view.enabled);
}

TEST_F(RunTest, EveryWorkbookYieldsItsRowBeyondTheOldLimit) {
    setColumns({{"P_ファイル名", 0, 0}, {"番号", 0, 0}});
    for (int i = 0; i < 5100; ++i) {
        std::string name = "w" + std::to_string(i) + ".xls";
        world.books[kDir + name].names["番号"] = Variant(static_cast<double>(i));
        list.push_back(name);
    }
    RunOutcome out = run();
    ASSERT_EQ(out.rows.rows.size(), 5100u);
    EXPECT_EQ(fake::textsOf(out.rows.rows[5099]), (Texts{"w5099.xls", "5099"}));
}

TEST(RunWithListPhase, BuiltListIsSavedOrItsFailureReturned) {
    fake::grid::World world;
    fake::RecordingView view;
    columns::ColumnTable table;
    table.g_item_name[1] = "P_ファイル名";
    columns::PropertyNameTable prop_name;
    RunPlan plan{kDir, {}, table, prop_name, "mokuji"};
    ListContext ctx{kDir, plan.programName, table, view,
                    [&](const std::string& p) { return world.exists(p); }};
    auto factory = [&] { return std::make_unique<fake::grid::GridApplication>(world); };
    auto phase = [&](automation::Application& xl, const RowStore& rows) {
        return BuildListWorkbook(xl, rows, ctx);
    };

    world.failing = {"Workbook.SaveAs"};
    RunOutcome out = MakeList(plan, factory, view, phase);
    EXPECT_THAT(view.captions, ElementsAre("mokuji - 目次ファイル作成開始"));
    ASSERT_TRUE(out.list.saveFailure);
    EXPECT_EQ(out.list.saveFailure->path, kDir + "00_目次.xls");
    EXPECT_EQ(out.list.saveFailure->detail, "Workbook.SaveAs failed");
    EXPECT_TRUE(view.enabled);

    world.failing.clear();
    out = MakeList(plan, factory, view, phase);
    EXPECT_FALSE(out.list.saveFailure);
    EXPECT_TRUE(world.exists(kDir + "00_目次.xls"));
    EXPECT_EQ(world.log.back(), "Quit");
}

}  // namespace
}  // namespace mokuji::engine
