// Runs over folders of real workbooks, through our own engine: the rows a
// run reads, the workbooks it names instead, and how it treats the window
// and the application instance.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "automation/native/native_application.h"
#include "os/path_names.h"
#include "run/list_generation_driver.h"
#include "support/column_defs.h"
#include "support/impostor_files.h"
#include "support/recording_view.h"
#include "support/row_texts.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "support/watched_application.h"

namespace mokuji::run {
namespace {

using automation::Variant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

using Texts = std::vector<std::string>;

class RunOverFolder : public ::testing::Test {
  protected:
    void SetUp() override { list_file::FillPropertyNames(prop_name); }

    void setColumns(const std::vector<std::tuple<std::string, int, int>>& defs) {
        columns = fake::columnTable(defs);
    }
    RunOutcome run(const std::vector<std::string>& list, const ListPhase& phase = {}) {
        RunPlan plan{dir.file(""), list, columns, prop_name, "mokuji"};
        return MakeList(plan, fake::factoryFor(watch), view, phase);
    }
    static std::vector<Texts> texts(const RunOutcome& out) {
        std::vector<Texts> all;
        for (const auto& row : out.rows.rows) all.push_back(fake::textsOf(row));
        return all;
    }

    fake::TempFolder dir;
    fake::Watch watch;
    fake::RecordingView view;
    list_file::ColumnTable columns;
    list_file::PropertyNameTable prop_name;
};

TEST_F(RunOverFolder, EachReadableWorkbookYieldsItsRowAndTheRestAreNamed) {
    dir.copy(fake::testData("fixtures/names_and_values.xls"), "a.xls");
    std::filesystem::create_directory(dir.file("sub 1"));
    const std::string b = std::string("sub 1") + os::kPathSeparator + "b 1904.xls";
    dir.copy(fake::testData("fixtures/date1904.xls"), b);
    dir.copy(fake::testData("corpus/PHPOffice__PhpSpreadsheet/pwtest2.xls"), "c.xls");
    dir.write("d.xls", "");
    std::filesystem::create_directory(dir.file("e.xls"));
    dir.write("f.xls", fake::xlsxBytes());
    // The cell by row and column stands in for a name only when the name
    // is missing, covers several cells or holds an error value, and only
    // when both numbers are usable; 99999 is no number, and a row past the
    // sheet has no cell.
    setColumns({{"P_ファイル名", 0, 0},
                {"日付", 4, 3},
                {"数値", 99999, 99999},
                {"控え", 20, 2},
                {"P_作成者", 0, 0},
                {"P_印刷日時", 0, 0},
                {"P_作成日時", 0, 0},
                {"エラー", 3, 3},
                {"範囲", 20, 2},
                {"空欄", 20, 2},
                {"行なし", 99999, 2},
                {"列ゼロ", 20, 0},
                {"範囲外", 70000, 2},
                {"金額", 0, 0},
                {"真偽", 0, 0}});

    // Paths are relative to the run's folder; a subfolder's workbook is
    // named by that path, with "/" on every system.
    RunOutcome out = run({"a.xls", b, "c.xls", "d.xls", "e.xls", "f.xls", "gone.xls"});

    // "控え" is no name: its fallback cell is B20 of the first sheet, which
    // the 1904 workbook leaves empty. "エラー" holds #DIV/0! in a.xls, so its
    // fallback C3 is taken; b has no such name and falls back to an empty C3.
    ASSERT_EQ(out.rows.rows.size(), 2u);
    EXPECT_THAT(texts(out),
                ElementsAre(Texts{"a.xls", "2005/03/14", "3.14", "控え", "山田 太郎", "",
                                  "2005/03/14", "鈴木", "控え", "", "", "", "", "1234.5", "True"},
                            Texts{"sub 1/b 1904.xls", "2005/03/14", "", "", "山田 太郎", "",
                                  "2005/03/14", "", "", "", "", "", "", "", ""}));
    // Values keep their types for the list.
    EXPECT_EQ(out.rows.rows[0].values[13].type(), Variant::Type::Currency);
    EXPECT_EQ(out.rows.rows[0].values[14], Variant(true));
    EXPECT_THAT(view.captions,
                ElementsAre("mokuji - [a.xls]", "mokuji - [sub 1/b 1904.xls]", "mokuji - [c.xls]",
                            "mokuji - [d.xls]", "mokuji - [e.xls]", "mokuji - [f.xls]",
                            "mokuji - [gone.xls]"));
    ASSERT_EQ(out.skipped.size(), 5u);
    EXPECT_EQ(out.skipped[0].cause, automation::OpenFailure::Encrypted);
    EXPECT_EQ(out.skipped[1].cause, automation::OpenFailure::NotAWorkbook);
    EXPECT_EQ(out.skipped[2].cause, automation::OpenFailure::NotAWorkbook);
    EXPECT_EQ(out.skipped[3].cause, automation::OpenFailure::Damaged);
    EXPECT_EQ(out.skipped[3].content, automation::FileContent::ZipWorkbook);
    EXPECT_EQ(out.skipped[4].cause, automation::OpenFailure::NotFound);
    EXPECT_EQ(out.skipped[4].fileName, "gone.xls");
    // The run tells the user nothing itself, and gives the window back.
    EXPECT_THAT(view.messages, IsEmpty());
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.pointer, view::kPointerDefault);

    // Each workbook is opened read-only with its macros kept from running,
    // and closed unsaved; one instance does it all and is ended.
    ASSERT_GE(watch.log.size(), 3u);
    EXPECT_THAT(Texts(watch.log.begin(), watch.log.begin() + 3),
                ElementsAre("Workbooks.Close", "EnableEvents=false",
                            "Open(" + dir.file("a.xls") +
                                ",UpdateLinks=0,ReadOnly=true,IgnoreReadOnlyRecommended=true)"));
    EXPECT_TRUE(watch.logged("Open(" + dir.file(b) +
                             ",UpdateLinks=0,ReadOnly=true,IgnoreReadOnlyRecommended=true)"));
    EXPECT_TRUE(watch.logged("EnableEvents=true"));
    EXPECT_TRUE(watch.logged("Workbook.Close(SaveChanges=false)"));
    EXPECT_FALSE(watch.logged("Workbook.Close(SaveChanges=true)"));
    EXPECT_THAT(Texts(watch.log.end() - 3, watch.log.end()),
                ElementsAre("Workbooks.Close", "DisplayAlerts=false", "Quit"));
    EXPECT_EQ(watch.created, 1);
    EXPECT_EQ(watch.alive, 0);
}

TEST_F(RunOverFolder, ColumnsOfNothingButFileNamesYieldNoRowAndFreeEntriesAreSkipped) {
    fake::makeSource(dir.file("a.xls"),
                     {{"担当者", 2, 2, Variant("鈴木")}, {"備考", 3, 2, Variant("前\t後")}});
    EXPECT_THAT(run({"a.xls"}).rows.rows, IsEmpty());
    setColumns({{"P_ファイル名", 0, 0}});
    EXPECT_THAT(run({"a.xls"}).rows.rows, IsEmpty());

    columns = {};
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[3] = "担当者";
    columns.g_item_name[5] = "備考";
    // A tab inside a value stays in its column.
    EXPECT_THAT(texts(run({"a.xls"})), ElementsAre(Texts{"a.xls", "鈴木", "前\t後"}));
}

TEST_F(RunOverFolder, WindowIsBusyDuringTheRunAndGivenBackHoweverTheListPhaseEnds) {
    fake::makeSource(dir.file("a.xls"), {{"担当者", 2, 2, Variant("鈴木")}});
    setColumns({{"担当者", 0, 0}});
    bool busyDuringListPhase = false;
    run({"a.xls"}, [&](automation::Application&, const list_file::RowStore&) {
        busyDuringListPhase = !view.enabled && view.pointer == view::kPointerHourglass;
        return list_file::ListWorkbookResult{};
    });
    EXPECT_TRUE(busyDuringListPhase);
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.pointer, view::kPointerDefault);
    EXPECT_EQ(view.yields, 2);  // after the reads and after the close
    EXPECT_EQ(view.events.front(), "pointer:11");
    EXPECT_EQ(view.events.back(), "pointer:0");

    // A list phase that fails still ends the instance.
    std::size_t rowsSeen = 0;
    run({"a.xls"},
        [&](automation::Application&,
            const list_file::RowStore& rows) -> list_file::ListWorkbookResult {
            rowsSeen = rows.rows.size();
            throw automation::AutomationError(1004, "save failed");
        });
    EXPECT_EQ(rowsSeen, 1u);
    EXPECT_EQ(watch.log.back(), "Quit");
    EXPECT_EQ(watch.alive, 0);
    EXPECT_TRUE(view.enabled);

    // Without an application nothing is touched.
    view = {};
    watch.failCreation = true;
    RunOutcome out = run({"a.xls"});
    EXPECT_FALSE(out.applicationStarted);
    EXPECT_THAT(view.events, IsEmpty());
}

// Long enough for the workbooks to be read ahead on other threads: the
// rows, the captions and the skipped files still come in list order, and
// every workbook yields its row, also past the 5,000 an earlier limit kept.
TEST_F(RunOverFolder, ReadingAheadKeepsTheOrderOfTheList) {
    const char* sources[] = {"fixtures/names_and_values.xls", "fixtures/date1904.xls",
                             "corpus/PHPOffice__PhpSpreadsheet/pwtest2.xls"};
    std::vector<std::string> list;
    for (int i = 0; i < 30; ++i) {
        list.push_back(std::to_string(100 + i) + ".xls");
        if (i % 4 == 3)
            dir.write(list.back(), "not a workbook");
        else
            dir.copy(fake::testData(sources[i % 4]), list.back());
    }
    setColumns({{"P_ファイル名", 0, 0}, {"日付", 0, 0}});
    RunOutcome out = run(list);

    std::vector<std::string> rows, skipped, expectedRows, expectedSkipped, captions;
    for (const auto& row : out.rows.rows) rows.push_back(fake::textsOf(row)[0]);
    for (const auto& s : out.skipped) skipped.push_back(s.fileName);
    for (int i = 0; i < 30; ++i) {
        (i % 4 < 2 ? expectedRows : expectedSkipped).push_back(list[i]);
        captions.push_back("mokuji - [" + list[i] + "]");
    }
    EXPECT_EQ(rows, expectedRows);
    EXPECT_EQ(skipped, expectedSkipped);
    EXPECT_EQ(view.captions, captions);
    EXPECT_EQ(watch.alive, 0);

    fake::TempFolder many;
    fake::makeSource(many.file("w.xls"), {{"番号", 2, 2, Variant(7.0)}});
    list.clear();
    for (int i = 0; i < 5100; ++i) {
        list.push_back("w" + std::to_string(i) + ".xls");
        std::filesystem::create_hard_link(fake::utf8Path(many.file("w.xls")),
                                          fake::utf8Path(many.file(list.back())));
    }
    setColumns({{"P_ファイル名", 0, 0}, {"番号", 0, 0}});
    RunPlan plan{many.file(""), list, columns, prop_name, "mokuji"};
    out = MakeList(plan, xls::native::createApplication, view, {});
    ASSERT_EQ(out.rows.rows.size(), 5100u);
    EXPECT_EQ(fake::textsOf(out.rows.rows[5099]), (Texts{"w5099.xls", "7"}));
}

}  // namespace
}  // namespace mokuji::run
