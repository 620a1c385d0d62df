// Gathering and reading column definitions over our own engine, with
// workbooks written through it and fixtures written by LibreOffice.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "automation/native/native_application.h"
#include "list_file/list_workbook_builder.h"
#include "list_file/property_names.h"
#include "run/folder_gathering.h"
#include "run/list_generation_driver.h"
#include "support/recording_view.h"
#include "support/scripted_file_system.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"

namespace mokuji::run {
namespace {

using automation::Variant;
using list_file::kNoNumber;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

using Column = std::tuple<std::string, std::int32_t, std::int32_t>;

std::vector<Column> used(const list_file::ColumnTable& t) {
    std::vector<Column> out;
    for (int j = 1; j <= list_file::kMaxColumns; ++j) {
        if (!t.g_item_name[j].empty())
            out.emplace_back(t.g_item_name[j], t.g_item_row[j], t.g_item_col[j]);
    }
    return out;
}

using Value = fake::NamedValue;
using fake::makeSource;

class GatherNative : public ::testing::Test {
  protected:
    GatherResult gather() {
        g_mokuji_path = dir.file("");
        return GatherFolder(
            {g_mokuji_path, List1, columns, view, fs, xls::native::createApplication, "mokuji"});
    }
    // A run of the whole program over the gathered workbooks, writing the
    // list file.
    void makeList() {
        std::vector<std::string> workbooks;
        for (std::size_t i = 0; i < List1.ListCount(); ++i) workbooks.push_back(List1.List(i));
        list_file::PropertyNameTable prop_name;
        list_file::FillPropertyNames(prop_name);
        list_file::ListContext ctx{
            dir.file(""), "mokuji", columns, view,
            [this](const std::string& p) { return !fs.findOrdinaryFile(p).empty(); }};
        run::RunPlan plan{dir.file(""), workbooks, columns, prop_name, "mokuji"};
        run::RunOutcome out =
            run::MakeList(plan, xls::native::createApplication, view,
                          [&](automation::Application& xl, const list_file::RowStore& rows) {
                              return list_file::BuildListWorkbook(xl, rows, ctx);
                          });
        ASSERT_FALSE(out.list.saveFailure) << out.list.saveFailure->detail;
    }

    fake::TempFolder dir;
    std::string g_mokuji_path;
    run::ListBox List1{true};
    list_file::ColumnTable columns;
    fake::RecordingView view;
    fake::MachineFileSystem fs;
};

TEST_F(GatherNative, TemplateColumnsSurviveTheListFileTheyWereWrittenTo) {
    makeSource(dir.file("b.xls"), {{"件名", 2, 2, Variant("報告")},
                                   {"日付", 5, 1, Variant("2005/03/14")},
                                   {"担当者", 2, 3, Variant("山田")}});
    makeSource(dir.file("a.xls"), {{"担当者", 2, 3, Variant("鈴木")},
                                   {"件名", 2, 2, Variant("点検")},
                                   {"日付", 5, 1, Variant("2005/03/15")}});
    GatherResult first = gather();
    ASSERT_FALSE(first.readFailure) << first.readFailure->reason;
    EXPECT_EQ(first.listFile, "");
    const std::vector<Column> fromTemplate = {
        {"P_ファイル名", 0, 0}, {"件名", 2, 2}, {"担当者", 2, 3}, {"日付", 5, 1}};
    EXPECT_EQ(used(columns), fromTemplate);

    makeList();
    columns = {};
    GatherResult second = gather();
    ASSERT_FALSE(second.readFailure) << second.readFailure->reason;
    EXPECT_EQ(second.listFile, dir.file("00_目次.xls"));
    EXPECT_EQ(List1.ListCount(), 2u);
    // The file-name column needs no cell; the others keep theirs.
    EXPECT_EQ(used(columns),
              (std::vector<Column>{{"P_ファイル名", list_file::kNoNumber, list_file::kNoNumber},
                                   {"件名", 2, 2},
                                   {"担当者", 2, 3},
                                   {"日付", 5, 1}}));
}

// A column whose name the list file could not be given as a workbook name
// is found again by its header, with its numbers, and keeps its place.
TEST_F(GatherNative, ColumnWithoutANameInTheListIsReadFromItsHeader) {
    makeSource(dir.file("a.xls"), {{"担当者", 2, 3, Variant("鈴木")}});
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[2] = "P_マルチメディア クリップの数";  // a blank: never a name
    columns.g_item_name[3] = "担当者";
    columns.g_item_row[3] = 2;
    columns.g_item_col[3] = 3;
    List1.AddItem("a.xls");
    makeList();
    columns = {};
    ASSERT_FALSE(gather().readFailure);
    EXPECT_EQ(used(columns), (std::vector<Column>{{"P_ファイル名", kNoNumber, kNoNumber},
                                                  {"P_マルチメディア クリップの数", 0, 0},
                                                  {"担当者", 2, 3}}));
    EXPECT_EQ(columns.listColumn[2], 4);
    EXPECT_EQ(columns.listColumn[3], 5);
}

TEST_F(GatherNative, TemplateWrittenByLibreOffice) {
    dir.copy(fake::testData("fixtures/names_and_values.xls"), "a.xls");
    GatherResult result = gather();
    ASSERT_FALSE(result.readFailure) << result.readFailure->reason;
    std::vector<Column> cols = used(columns);
    // 16 names on cells, and the file-name column.
    ASSERT_EQ(cols.size(), 17u);
    EXPECT_EQ(cols[0], Column("P_ファイル名", 0, 0));
    // A name on the second sheet sorts by its own cell.
    EXPECT_EQ(cols[1], Column("別シート", 2, 2));
    // Two names on C3 (the cell and the block starting there).
    EXPECT_THAT(std::vector(cols.begin() + 2, cols.begin() + 4),
                UnorderedElementsAre(Column("担当者", 3, 3), Column("範囲", 3, 3)));
    EXPECT_EQ(cols[4], Column("日付", 4, 3));
    EXPECT_EQ(cols.back(), Column("Total", 16, 3));
    // Constants, broken references and sheet-level names are no columns.
    for (const auto& [name, row, col] : cols) {
        EXPECT_NE(name, "定数");
        EXPECT_NE(name, "壊れた");
        EXPECT_EQ(name.find('!'), std::string::npos) << name;
    }
}

TEST_F(GatherNative, ListFileEditedByLibreOffice) {
    dir.copy(fake::testData("fixtures/list_edited_by_libreoffice.xls"), "00_目次.xls");
    makeSource(dir.file("c.xls"), {{"件名", 2, 2, Variant("追加")}});
    GatherResult result = gather();
    ASSERT_FALSE(result.readFailure) << result.readFailure->reason;
    EXPECT_EQ(result.listFile, dir.file("00_目次.xls"));
    // LibreOffice's "No_" is the number column all the same.
    EXPECT_EQ(used(columns),
              (std::vector<Column>{{"P_ファイル名", list_file::kNoNumber, list_file::kNoNumber},
                                   {"件名", 2, 2},
                                   {"担当者", 2, 3}}));
}

TEST_F(GatherNative, ListFileThatIsNoWorkbookStopsTheRunBeforeItIsOverwritten) {
    dir.write("00_目次.XLS", "just text, saved under the list file's name");
    makeSource(dir.file("a.xls"), {{"件名", 2, 2, Variant("点検")}});
    columns.g_item_name[1] = "前の列";
    GatherResult result = gather();
    ASSERT_TRUE(result.readFailure);
    EXPECT_EQ(result.readFailure->path, dir.file("00_目次.XLS"));
    EXPECT_NE(result.readFailure->cause, automation::OpenFailure::Other);
    EXPECT_FALSE(result.readFailure->reason.empty());
    EXPECT_EQ(result.listFile, dir.file("00_目次.XLS"));
    EXPECT_EQ(used(columns), (std::vector<Column>{{"前の列", 0, 0}}));
    EXPECT_THAT(std::vector<std::string>{List1.List(0)}, ElementsAre("a.xls"));
    EXPECT_EQ(List1.ListCount(), 1u);
}

}  // namespace
}  // namespace mokuji::run
