// A whole run that writes the list file through our engine, checked with
// xlrd and with our own reader: first a new list, then an update.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "automation/native/native_application.h"
#include "list_file/list_workbook_builder.h"
#include "run/list_generation_driver.h"
#include "support/recording_view.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "support/unprivileged_user.h"
#include "support/unreadable_file.h"
#include "support/xlrd_check.h"

namespace mokuji::run {
namespace {

using automation::Variant;
using ::testing::HasSubstr;

using Value = fake::NamedValue;
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

TEST_F(ListFile, CreatedThenUpdatedAsBothReadersSeeIt) {
    RunOutcome first = run({"a.xls", "b.xls"});
    ASSERT_FALSE(first.list.saveFailure) << first.list.saveFailure->detail;
    EXPECT_FALSE(first.list.updatedExisting);
    const std::string list = dir.file("00_目次.xls");
    ASSERT_TRUE(std::filesystem::exists(fake::utf8Path(list)));
    EXPECT_THAT(view.captions, ::testing::Contains("mokuji - 目次ファイル作成開始"));

    // A third workbook, and the list is updated in place.
    makeSource(dir.file("c.xls"), {{"件名", 2, 2, Variant("追加")}});
    RunOutcome second = run({"a.xls", "b.xls", "c.xls"});
    ASSERT_FALSE(second.list.saveFailure) << second.list.saveFailure->detail;
    EXPECT_TRUE(second.list.updatedExisting);
    EXPECT_THAT(view.captions, ::testing::Contains("mokuji - 目次ファイル更新開始"));

    // Our own reader.
    auto reader = xls::native::createApplication();
    automation::OpenArguments open;
    open.fileName = list;
    open.readOnly = true;
    auto book = reader->workbooks()->open(open);
    EXPECT_EQ(reader->range("No.")->row(), 3);
    EXPECT_EQ(reader->range("P_ファイル名")->column(), 3);
    EXPECT_EQ(reader->range("式")->column(), 7);
    EXPECT_EQ(reader->range("目次!C8")->value().toText(), "c.xls");
    EXPECT_EQ(reader->range("目次!F6")->value(), Variant(-5.0));
    EXPECT_EQ(reader->range("目次!G6")->value(), Variant("=1+1"));

    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    std::string seen = fake::xlrdSays(list, R"(
s = b.sheet_by_index(0)
print('sheets', b.sheet_names())
for r in range(2, s.nrows):
    print('row', r + 1, [(c.ctype, c.value) for c in s.row(r)[1:8]])
print('names', sorted(n.name + '=' + n.result.text for n in b.name_obj_list))
print('hidden', s.rowinfo_map[3].hidden, s.rowinfo_map[4].hidden)
print('widths', s.colinfo_map[0].width, s.colinfo_map[1].width, s.colinfo_map[2].width)
print('links', [(h.frowx, h.fcolx, h.url_or_path, h.desc) for h in s.hyperlink_list])
x = b.xf_list[s.cell_xf_index(2, 3)]
print('header', x.background.fill_pattern, x.background.pattern_colour_index)
x = b.xf_list[s.cell_xf_index(6, 2)]
print('data', x.border.left_line_style, x.border.right_line_style, x.border.top_line_style,
      x.border.bottom_line_style, x.alignment.vert_align, x.alignment.hor_align,
      x.alignment.text_wrapped))");
    EXPECT_THAT(seen, HasSubstr("sheets ['目次']"));
    EXPECT_THAT(seen, HasSubstr("row 3 [(1, 'No.'), (1, 'FILE名'), (1, '件名'), (1, '担当者'), "
                                "(1, '金額'), (1, '式'), (1, 'P_アプリケーション名')]"));
    EXPECT_THAT(seen, HasSubstr("row 4 [(0, ''), (0, ''), (2, 2.0), (2, 2.0), (2, 3.0), (2, 3.0), "
                                "(2, 0.0)]"));
    EXPECT_THAT(seen, HasSubstr("row 5 [(0, ''), (0, ''), (2, 2.0), (2, 3.0), (2, 2.0), (2, 3.0), "
                                "(2, 0.0)]"));
    // Formula-looking texts stay text; numbers stay numbers.
    EXPECT_THAT(seen, HasSubstr("row 6 [(2, 1.0), (1, 'a.xls'), (1, '点検'), (1, '鈴木'), "
                                "(2, -5.0), (1, '=1+1'), (1, 'mokuji')]"));
    EXPECT_THAT(seen, HasSubstr("row 7 [(2, 2.0), (1, 'b.xls'), (1, '報告'), (1, '山田'), "
                                "(2, 1200.0), (1, '@SUM(A1)'), (1, 'mokuji')]"));
    // Empty fields are blank cells that carry the borders.
    EXPECT_THAT(seen, HasSubstr("row 8 [(2, 3.0), (1, 'c.xls'), (1, '追加'), (6, ''), (6, ''), "
                                "(6, ''), (1, 'mokuji')]"));
    EXPECT_THAT(seen, ::testing::Not(HasSubstr("row 9 ")));
    EXPECT_THAT(seen, HasSubstr("'No.=目次!$B$3'"));
    EXPECT_THAT(seen, HasSubstr("'P_ファイル名=目次!$C$3'"));
    EXPECT_THAT(seen, HasSubstr("'件名=目次!$D$3'"));
    EXPECT_THAT(seen, HasSubstr("'P_アプリケーション名=目次!$H$3'"));
    EXPECT_THAT(seen, HasSubstr("hidden 1 1"));
    EXPECT_THAT(seen, HasSubstr("widths 416 1184 7840"));
    EXPECT_THAT(seen, HasSubstr("links [(5, 2, 'a.xls', 'a.xls'), (6, 2, 'b.xls', 'b.xls'), "
                                "(7, 2, 'c.xls', 'c.xls')]"));
    EXPECT_THAT(seen, HasSubstr("header 1 13"));
    EXPECT_THAT(seen, HasSubstr("data 1 1 1 1 0 1 1"));
}

// The folder was listed before the run began; a workbook deleted or locked
// since then is named with its reason, and the list gets every other row.
TEST_F(ListFile, WorkbooksGoneOrLockedAfterListingAreNamedAndTheRestListed) {
    makeSource(dir.file("gone.xls"), {{"件名", 2, 2, Variant("消えた")}});
    makeSource(dir.file("locked.xls"), {{"件名", 2, 2, Variant("鍵")}});
    fake::ActingUnprivileged user(dir.path());
    std::optional<fake::UnreadableFile> locked;
    view.onCaption = [&](const std::string& caption) {
        namespace fs = std::filesystem;
        if (caption == "mokuji - [gone.xls]") fs::remove(dir.file("gone.xls"));
        if (caption == "mokuji - [locked.xls]") {
            locked.emplace(fake::utf8Path(dir.file("locked.xls")));
            ASSERT_TRUE(locked->held());
        }
    };
    RunOutcome out = run({"a.xls", "gone.xls", "locked.xls", "b.xls"});
    ASSERT_FALSE(out.list.saveFailure) << out.list.saveFailure->detail;
    EXPECT_EQ(out.list.rowsWritten, 2);
    ASSERT_EQ(out.skipped.size(), 2u);
    EXPECT_EQ(out.skipped[0].fileName, "gone.xls");
    EXPECT_EQ(out.skipped[0].cause, automation::OpenFailure::NotFound);
    EXPECT_EQ(out.skipped[1].fileName, "locked.xls");
    EXPECT_EQ(out.skipped[1].cause, automation::OpenFailure::AccessDenied);

    auto reader = xls::native::createApplication();
    automation::OpenArguments open;
    open.fileName = dir.file("00_目次.xls");
    open.readOnly = true;
    auto book = reader->workbooks()->open(open);
    EXPECT_EQ(reader->range("目次!C6")->value().toText(), "a.xls");
    EXPECT_EQ(reader->range("目次!C7")->value().toText(), "b.xls");
    EXPECT_EQ(reader->range("目次!C8")->value().toText(), "");
}

// A column name the application refuses as a name still heads its column.
TEST_F(ListFile, RefusedNameStillHeadsItsColumn) {
    columns = list_file::ColumnTable{};
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[2] = "P_マルチメディア クリップの数";
    columns.g_item_name[3] = "担当者";
    columns.g_item_row[3] = 2;
    columns.g_item_col[3] = 3;
    RunOutcome out = run({"a.xls"});
    ASSERT_FALSE(out.list.saveFailure);
    auto reader = xls::native::createApplication();
    automation::OpenArguments open;
    open.fileName = dir.file("00_目次.xls");
    open.readOnly = true;
    auto book = reader->workbooks()->open(open);
    EXPECT_EQ(reader->range("目次!D3")->value().toText(), "P_マルチメディア クリップの数");
    EXPECT_EQ(reader->range("担当者")->column(), 5);
    EXPECT_EQ(reader->range("目次!E6")->value().toText(), "鈴木");
    auto names = book->names();
    for (int i = 1; i <= names->count(); ++i)
        EXPECT_NE(names->item(i)->name(), "P_マルチメディア クリップの数");
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
