// A whole run over a folder of real workbooks, through our own engine.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "automation/native/native_application.h"
#include "os/path_names.h"
#include "run/list_generation_driver.h"
#include "support/impostor_files.h"
#include "support/recording_view.h"
#include "support/row_texts.h"
#include "support/temp_folder.h"

namespace mokuji::engine {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

TEST(RunOverFolder, EachReadableWorkbookYieldsItsRowAndTheRestAreNamed) {
    fake::TempFolder dir;
    dir.copy(fake::testData("fixtures/names_and_values.xls"), "a.xls");
    dir.copy(fake::testData("fixtures/date1904.xls"), "b 1904.xls");
    dir.copy(fake::testData("corpus/PHPOffice__PhpSpreadsheet/pwtest2.xls"), "c.xls");
    dir.write("d.xls", "");
    std::filesystem::create_directory(dir.file("e.xls"));
    dir.write("f.xls", fake::xlsxBytes());

    columns::PropertyNameTable prop_name;
    columns::FillPropertyNames(prop_name);
    columns::ColumnTable columns;
    const std::tuple<const char*, int, int> defs[] = {
        {"P_ファイル名", 0, 0}, {"日付", 4, 3},       {"数値", 99999, 99999}, {"控え", 20, 2},
        {"P_作成者", 0, 0},     {"P_印刷日時", 0, 0}, {"P_作成日時", 0, 0},   {"エラー", 3, 3}};
    int j = 0;
    for (auto [name, row, col] : defs) {
        ++j;
        columns.g_item_name[j] = name;
        columns.g_item_row[j] = row;
        columns.g_item_col[j] = col;
    }
    std::vector<std::string> list = {"a.xls", "b 1904.xls", "c.xls", "d.xls", "e.xls", "f.xls"};
    fake::RecordingView view;
    RunPlan plan{dir.file(""), list, columns, prop_name, "mokuji"};

    RunOutcome out = MakeList(plan, xls::native::createApplication, view, {});

    // "控え" is no name: its fallback cell is B20 of the first sheet, which
    // the 1904 workbook leaves empty. "エラー" holds #DIV/0! in a.xls, so its
    // fallback C3 is taken; b has no such name and falls back to an empty C3.
    ASSERT_EQ(out.rows.rows.size(), 2u);
    using V = std::vector<std::string>;
    EXPECT_EQ(fake::textsOf(out.rows.rows[0]),
              (V{"a.xls", "2005/03/14", "3.14", "控え", "山田 太郎", "", "2005/03/14", "鈴木"}));
    EXPECT_EQ(fake::textsOf(out.rows.rows[1]),
              (V{"b 1904.xls", "2005/03/14", "", "", "山田 太郎", "", "2005/03/14", ""}));
    EXPECT_THAT(view.captions,
                ElementsAre("mokuji - [a.xls]", "mokuji - [b 1904.xls]", "mokuji - [c.xls]",
                            "mokuji - [d.xls]", "mokuji - [e.xls]", "mokuji - [f.xls]"));
    ASSERT_EQ(out.skipped.size(), 4u);
    EXPECT_EQ(out.skipped[0].cause, automation::OpenFailure::Encrypted);
    EXPECT_EQ(out.skipped[1].cause, automation::OpenFailure::NotAWorkbook);
    EXPECT_EQ(out.skipped[2].cause, automation::OpenFailure::NotAWorkbook);
    EXPECT_EQ(out.skipped[3].cause, automation::OpenFailure::Damaged);
    EXPECT_EQ(out.skipped[3].content, automation::FileContent::ZipWorkbook);
    EXPECT_TRUE(view.enabled);
    EXPECT_EQ(view.pointer, platform::kPointerDefault);
}

// Long enough for the workbooks to be read ahead on other threads: the
// rows, the captions and the skipped files still come in list order.
TEST(RunOverFolder, ReadingAheadKeepsTheOrderOfTheList) {
    fake::TempFolder dir;
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
    columns::PropertyNameTable prop_name;
    columns::FillPropertyNames(prop_name);
    columns::ColumnTable columns;
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[2] = "日付";
    fake::RecordingView view;
    RunPlan plan{dir.file(""), list, columns, prop_name, "mokuji"};

    RunOutcome out = MakeList(plan, xls::native::createApplication, view, {});

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
}

}  // namespace
}  // namespace mokuji::engine
