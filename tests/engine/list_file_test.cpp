// Whole runs that write the list file through our engine where the list
// is more than the usual layout the golden lists keep: a refused name, a
// text too long for a cell, LibreOffice as the reader, and an update of a
// list another program edited.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "automation/native/native_application.h"
#include "list_file/list_workbook_builder.h"
#include "run/folder_gathering.h"
#include "run/list_generation_driver.h"
#include "support/recording_view.h"
#include "support/scripted_file_system.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "support/xlrd_check.h"

namespace mokuji::run {
namespace {

using automation::Variant;
using ::testing::HasSubstr;

using fake::makeSource;

class ListFile : public ::testing::Test {
  protected:
    void SetUp() override {
        list_file::FillPropertyNames(prop_name);
        const std::tuple<const char*, int, int> defs[] = {
            {"P_ファイル名", 0, 0}, {"件名", 2, 2}, {"担当者", 2, 3},
            {"金額", 3, 2},         {"式", 3, 3},   {"P_アプリケーション名", 0, 0}};
        int j = 0;
        for (auto [name, row, col] : defs) {
            ++j;
            columns.g_item_name[j] = name;
            columns.g_item_row[j] = row;
            columns.g_item_col[j] = col;
        }
        makeSource(dir.file("a.xls"), {{"件名", 2, 2, Variant("点検")},
                                       {"担当者", 2, 3, Variant("鈴木")},
                                       {"金額", 3, 2, Variant("-5")},
                                       {"式", 3, 3, Variant("'=1+1")}});
        makeSource(dir.file("b.xls"), {{"件名", 2, 2, Variant("報告")},
                                       {"担当者", 2, 3, Variant("山田")},
                                       {"金額", 3, 2, Variant("1,200")},
                                       {"式", 3, 3, Variant("@SUM(A1)")}});
    }

    RunOutcome run(std::vector<std::string> list) {
        list_file::ListContext ctx{
            dir.file(""), "mokuji", columns, view, [](const std::string& p) {
                return std::filesystem::is_regular_file(
                    std::filesystem::path(std::u8string(p.begin(), p.end())));
            }};
        RunPlan plan{dir.file(""), list, columns, prop_name, "mokuji"};
        return MakeList(plan, xls::native::createApplication, view,
                        [&](automation::Application& xl, const list_file::RowStore& rows) {
                            return BuildListWorkbook(xl, rows, ctx);
                        });
    }

    fake::TempFolder dir;
    fake::RecordingView view;
    list_file::ColumnTable columns;
    list_file::PropertyNameTable prop_name;
};

// A column name the application refuses as a name still heads its column,
// with its numbers below, and the next gathering finds the column again by
// that header, in its place.
TEST_F(ListFile, RefusedNameHeadsItsColumnAndIsFoundAgainByIt) {
    columns = list_file::ColumnTable{};
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[2] = "P_マルチメディア クリップの数";  // a blank: never a name
    columns.g_item_name[3] = "担当者";
    columns.g_item_row[3] = 2;
    columns.g_item_col[3] = 3;
    RunOutcome out = run({"a.xls"});
    ASSERT_FALSE(out.list.saveFailure);
    EXPECT_THAT(out.list.namesNotAdded, ::testing::ElementsAre("P_マルチメディア クリップの数"));

    columns = {};
    const std::string workingPath = dir.file("");
    run::ListBox workbooks(true);
    fake::MachineFileSystem fs;
    ASSERT_FALSE(GatherFolder({workingPath, workbooks, columns, view, fs,
                               xls::native::createApplication, "mokuji"})
                     .readFailure);
    EXPECT_EQ(columns.g_item_name[2], "P_マルチメディア クリップの数");
    EXPECT_EQ(columns.g_item_row[2], 0);
    EXPECT_EQ(columns.g_item_col[2], 0);
    EXPECT_EQ(columns.listColumn[2], 4);
    EXPECT_EQ(columns.g_item_name[3], "担当者");
    EXPECT_EQ(columns.g_item_row[3], 2);
    EXPECT_EQ(columns.g_item_col[3], 3);
    EXPECT_EQ(columns.listColumn[3], 5);
}

// A text longer than a cell holds (no writer we have makes such a source,
// so the row is handed over as read) is cut at the cell's limit, without
// splitting a character, and named.
TEST_F(ListFile, TextLongerThanACellHoldsIsCutAndNamed) {
    columns = list_file::ColumnTable{};
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[2] = "感想";
    std::string text = "a";
    for (int i = 0; i < 20000; ++i) text += "\U00020BB7";  // two UTF-16 units each
    list_file::RowStore rows;
    rows.rows.push_back({"長文.xls", {Variant("長文.xls"), Variant(text)}});
    list_file::ListContext ctx{dir.file(""), "mokuji", columns, view,
                               [](const std::string&) { return false; }};
    auto app = xls::native::createApplication();
    list_file::ListWorkbookResult result = BuildListWorkbook(*app, rows, ctx);
    ASSERT_FALSE(result.saveFailure);
    ASSERT_EQ(result.valuesCut.size(), 1u);
    EXPECT_EQ(result.valuesCut[0].fileName, "長文.xls");
    EXPECT_EQ(result.valuesCut[0].column, "感想");
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    // xlrd counts code points: "a" and 16383 whole characters of two units.
    EXPECT_EQ(fake::xlrdSays(dir.file("00_目次.xls"),
                             "v = b.sheet_by_index(0).cell_value(5, 3)\n"
                             "print(len(v), v[0], v[-1] == chr(0x20BB7))"),
              "16384 a True\n");
}

// LibreOffice, where it is installed, reads the same values: its CSV
// export of the list is compared line by line.
TEST_F(ListFile, LibreOfficeReadsTheSameValues) {
#ifdef _WIN32
    GTEST_SKIP() << "LibreOffice is the build machine's, beyond a Windows program's reach";
#endif
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
        // The setup installs it: in CI a missing reader is a broken setup.
        if (std::getenv("CI") != nullptr) FAIL() << "LibreOffice is not installed";
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    RunOutcome out = run({"a.xls", "b.xls"});
    ASSERT_FALSE(out.list.saveFailure);
    fake::TempFolder outDir;
    fake::TempFolder profile;
    std::string cmd =
        "cd '" + dir.path().string() + "' && soffice -env:UserInstallation=file://" +
        profile.path().string() +
        " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' --outdir '" +
        outDir.path().string() + "' 00_目次.xls >/dev/null 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(outDir.file("00_目次.csv"), std::ios::binary);
    std::string csv((std::istreambuf_iterator<char>(in)), {});
    EXPECT_THAT(csv, HasSubstr(",No.,FILE名,件名,担当者,金額,式,P_アプリケーション名\n"));
    EXPECT_THAT(csv, HasSubstr(",1,a.xls,点検,鈴木,-5,=1+1,mokuji\n"));
    EXPECT_THAT(csv, HasSubstr(",2,b.xls,報告,山田,1200,@SUM(A1),mokuji\n"));
}

TEST_F(ListFile, UpdateKeepsWhatAnotherProgramAddedToTheList) {
    // Written by a run of ours, then edited in LibreOffice: a sheet, a
    // title and a formula above the header, a colour and a comment on a
    // header cell. LibreOffice also renamed "No." to "No_", so the header
    // row is found as row 3, the default.
    const std::string list =
        dir.copy(fake::testData("fixtures/list_edited_by_libreoffice.xls"), "00_目次.xls");
    makeSource(dir.file("c.xls"), {{"件名", 2, 2, Variant("追加")}});
    columns = list_file::ColumnTable{};
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[2] = "件名";
    columns.g_item_row[2] = 2;
    columns.g_item_col[2] = 2;
    columns.g_item_name[3] = "担当者";
    columns.g_item_row[3] = 2;
    columns.g_item_col[3] = 3;
    RunOutcome out = run({"c.xls", "a.xls"});
    ASSERT_FALSE(out.list.saveFailure) << out.list.saveFailure->detail;
    EXPECT_TRUE(out.list.updatedExisting);

    auto reader = xls::native::createApplication();
    automation::OpenArguments open;
    open.fileName = list;
    open.readOnly = true;
    auto book = reader->workbooks()->open(open);
    EXPECT_EQ(book->sheets()->count(), 2);
    EXPECT_EQ(reader->range("メモ!A1")->value().toText(), "更新しても残ること");
    EXPECT_EQ(reader->range("目次!B1")->value().toText(), "点検記録の一覧");
    EXPECT_EQ(reader->range("目次!C6")->value().toText(), "c.xls");
    EXPECT_EQ(reader->range("目次!D7")->value().toText(), "点検");
    EXPECT_TRUE(reader->range("目次!C8")->value().isEmpty());

    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    std::string seen = fake::xlrdSays(list, R"(
s = b.sheet_by_index(0)
print('sheets', b.sheet_names())
print('title', s.cell(0, 1).value, 'formula', s.cell(0, 0).ctype)
print('note', list(s.cell_note_map.keys()))
x = b.xf_list[s.cell_xf_index(2, 3)]
print('colour', x.background.fill_pattern, x.background.pattern_colour_index)
print('rows', s.nrows, [s.cell_value(r, 2) for r in range(5, s.nrows)])
print('links', [(h.frowx, h.url_or_path) for h in s.hyperlink_list]))");
    EXPECT_THAT(seen, HasSubstr("sheets ['目次', 'メモ']"));
    EXPECT_THAT(seen, HasSubstr("title 点検記録の一覧 formula 2"));
    EXPECT_THAT(seen, HasSubstr("note [(2, 3)]"));
    EXPECT_THAT(seen, HasSubstr("colour 1 44"));
    EXPECT_THAT(seen, HasSubstr("rows 7 ['c.xls', 'a.xls']"));
    EXPECT_THAT(seen, HasSubstr("links [(5, 'c.xls'), (6, 'a.xls')]"));
}

}  // namespace
}  // namespace mokuji::run
