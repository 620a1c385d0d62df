// The list workbook as BuildListWorkbook writes it through our own engine,
// read back by our reader, xlrd or LibreOffice: what a new list holds where
// the layout is not the usual one, what an update of a list laid out by
// hand keeps, and operations that fail on the way. The usual layout and
// formatting are kept by the golden lists, whole runs by the end-to-end
// tests.

#include "list_file/list_workbook_builder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "automation/native/native_application.h"
#include "run/folder_gathering.h"
#include "support/column_defs.h"
#include "support/recording_view.h"
#include "support/row_texts.h"
#include "support/scripted_file_system.h"
#include "support/temp_folder.h"
#include "support/watched_application.h"
#include "support/xlrd_check.h"

namespace mokuji::run {
namespace {

using automation::Variant;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

class ListWorkbook : public ::testing::Test {
  protected:
    void setColumns(const std::vector<std::tuple<std::string, int, int>>& defs) {
        columns = fake::columnTable(defs);
    }
    list_file::ListWorkbookResult build(const std::string& listName = list_file::kListFileName) {
        auto app = fake::factoryFor(watch)();
        list_file::ListContext ctx{dir.file(""),
                                   "mokuji",
                                   columns,
                                   view,
                                   [](const std::string& p) {
                                       return std::filesystem::is_regular_file(fake::utf8Path(p));
                                   },
                                   listName};
        auto result = BuildListWorkbook(*app, rows, ctx);
        app->quit();
        return result;
    }
    // The saved list, open in our reader.
    automation::Application& saved() {
        reader = xls::native::createApplication();
        automation::OpenArguments args;
        args.fileName = list;
        args.readOnly = true;
        reader->workbooks()->open(args);
        return *reader;
    }
    Variant at(const std::string& cell) { return reader->range("目次!" + cell)->value(); }
    std::vector<std::string> names() {
        std::vector<std::string> out;
        auto all = reader->activeWorkbook()->names();
        for (int i = 1; i <= all->count(); ++i) out.push_back(all->item(i)->name());
        return out;
    }

    // A list laid out by hand: title rows, the header at row `header` with
    // the given names on its cells, and an earlier, longer list below.
    void handLaidList(int header, const std::vector<std::string>& named) {
        auto app = xls::native::createApplication();
        auto book = app->workbooks()->add();
        app->activeSheet()->setName("目次");
        auto put = [&](int r, int c, Variant v) { app->cells(r, c)->setFormulaR1C1(v); };
        put(1, 2, "不具合報告一覧");
        put(header, 2, "No.");
        put(header, 3, "FILE名");
        put(header, 4, "担当者");
        put(header + 1, 4, 2.0);
        put(header + 2, 4, 3.0);
        for (int r = header + 3; r < header + 8 && r <= 65536; ++r) {
            put(r, 2, static_cast<double>(r - header - 2));
            put(r, 3, "old" + std::to_string(r) + ".xls");
        }
        if (header < 12000) put(12000, 3, "ずっと下");
        const std::vector<std::pair<std::string, int>> headers = {
            {"No.", 2}, {"P_ファイル名", 3}, {"担当者", 4}};
        for (const auto& [name, col] : headers) {
            if (std::find(named.begin(), named.end(), name) == named.end()) continue;
            book->names()->add(name,
                               "=目次!R" + std::to_string(header) + "C" + std::to_string(col));
        }
        automation::SaveAsArguments args;
        args.fileName = list;
        book->saveAs(args);
    }

    fake::TempFolder dir;
    const std::string list = dir.file("00_目次.xls");
    fake::Watch watch;
    fake::RecordingView view;
    list_file::ColumnTable columns;
    list_file::RowStore rows;
    std::unique_ptr<automation::Application> reader;
};

// A new workbook may come with more sheets than the three the builder
// drops; texts that look like formulas or numbers arrive as their text.
TEST_F(ListWorkbook, NewListKeepsExtraSheetsAndEntersTextsAsTheyAre) {
    watch.extraSheetsInNewWorkbook = 2;
    const std::vector<std::string> texts = {"=x.xls", "=1+2",     "-5",    "+3",
                                            "-x",     "@SUM(A1)", "'引用", "-1.5E3"};
    setColumns({{"P_ファイル名", 0, 0}});
    for (int i = 1; i < 8; ++i) columns.g_item_name[i + 1] = std::string(1, char('a' + i));
    rows.rows = {fake::textRow(texts)};
    ASSERT_FALSE(build().saveFailure);

    saved();
    auto sheets = reader->activeWorkbook()->sheets();
    std::vector<std::string> sheetNames;
    for (int i = 1; i <= sheets->count(); ++i) sheetNames.push_back(sheets->item(i)->name());
    EXPECT_THAT(sheetNames, ElementsAre("目次", "Sheet4", "Sheet5"));
    for (int c = 3; c <= 10; ++c) {
        Variant v = at(std::string(1, char('A' + c - 1)) + "6");
        EXPECT_EQ(v, Variant(texts[static_cast<std::size_t>(c - 3)])) << c;
    }
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    // The link still points at the file as named.
    EXPECT_EQ(fake::xlrdSays(list, "print(b.sheet_by_index(0).hyperlink_map[(5, 2)].url_or_path)"),
              "=x.xls\n");
}

TEST_F(ListWorkbook, FieldsGoToTheNamedColumnsInOrderPastFreeEntries) {
    columns.g_item_name[1] = "担当者";
    columns.g_item_name[3] = "P_ファイル名";
    columns.g_item_name[6] = "期限";
    rows.rows = {{"a.xls", {Variant("鈴木"), Variant("a.xls"), Variant(2005.0)}}};
    build();
    saved();
    // The file-name header sits where the table puts the column; C3 keeps
    // "FILE名" and also carries the first column's name.
    EXPECT_EQ(at("C3"), Variant("FILE名"));
    EXPECT_EQ(at("D3"), Variant("P_ファイル名"));
    EXPECT_EQ(at("E3"), Variant("期限"));
    EXPECT_TRUE(at("F3").isEmpty());
    EXPECT_EQ(at("C6"), Variant("鈴木"));
    EXPECT_EQ(at("D6"), Variant("a.xls"));
    EXPECT_EQ(at("E6"), Variant(2005.0));
    EXPECT_TRUE(at("F6").isEmpty());
    EXPECT_EQ(reader->range("担当者")->column(), 3);
    EXPECT_EQ(reader->range("期限")->column(), 5);
}

// Operations the application refuses are skipped one by one and the rest
// is written; a refused save comes back with its reason.
TEST_F(ListWorkbook, FailingOperationsAreSkippedAndTheRestIsWritten) {
    for (const char* member : {"Range.ColumnWidth", "Border.Weight", "Hyperlinks.Add"})
        watch.fail(member);
    setColumns({{"P_ファイル名", 0, 0}, {"担 当", 2, 3}, {"期限", 5, 4}});
    rows.rows = {fake::textRow({"a.xls", "鈴木", "明日"})};
    auto result = build();
    EXPECT_FALSE(result.saveFailure);
    // A name the application refuses: no workbook name, header and numbers
    // all the same.
    EXPECT_THAT(result.namesNotAdded, ElementsAre("担 当"));
    EXPECT_THAT(result.rowsFailed, IsEmpty());
    saved();
    EXPECT_THAT(names(), ElementsAre("No.", "P_ファイル名", "期限"));
    EXPECT_EQ(reader->range("期限")->column(), 5);
    EXPECT_EQ(at("D3"), Variant("担 当"));
    EXPECT_EQ(at("D4"), Variant(2.0));
    EXPECT_EQ(at("C6"), Variant("a.xls"));
    EXPECT_EQ(at("E6"), Variant("明日"));

    std::filesystem::remove(fake::utf8Path(list));
    watch.fail("Workbook.SaveAs");
    result = build();
    ASSERT_TRUE(result.saveFailure);
    EXPECT_EQ(result.saveFailure->path, list);
    EXPECT_EQ(result.saveFailure->detail, "Workbook.SaveAs failed");
    EXPECT_FALSE(std::filesystem::exists(fake::utf8Path(list)));
    // The alerts come back on before the instance is handed back.
    EXPECT_EQ(watch.log.end()[-2], "DisplayAlerts=true");
}

TEST_F(ListWorkbook, RowsBeyondTheLastRowOfTheSheetAreCountedNotWritten) {
    setColumns({{"P_ファイル名", 0, 0}});
    const int room = 65536 - 5;
    for (int i = 0; i < room + 2; ++i)
        rows.rows.push_back(fake::textRow({"w" + std::to_string(i)}));
    auto result = build();
    EXPECT_EQ(result.rowsWritten, room);
    EXPECT_EQ(result.rowsNotWritten, 2);
    saved();
    EXPECT_EQ(at("B65536"), Variant(static_cast<double>(room)));
    EXPECT_EQ(at("C65536"), Variant("w" + std::to_string(room - 1)));

    // An update whose header sits near the end has room for fewer.
    handLaidList(65530, {"No.", "P_ファイル名", "担当者"});
    rows.rows.assign(10, fake::textRow({"x.xls"}));
    result = build();
    EXPECT_EQ(result.rowsWritten, 4);
    EXPECT_EQ(result.rowsNotWritten, 6);
    saved();
    EXPECT_EQ(at("B65536"), Variant(4.0));
}

// The header of a list laid out by hand is found by the name "No.", else by
// its other names, else by its text (another program may rename "No." or
// drop the names); the rows go below it, everything above them stays, and
// nothing of the longer earlier list survives.
TEST_F(ListWorkbook, HandLaidListGetsItsRowsBelowItsHeaderAndKeepsTheRest) {
    setColumns({{"P_ファイル名", 0, 0}, {"担当者", 2, 3}});
    rows.rows = {fake::textRow({"a.xls", "鈴木"}), fake::textRow({"b.xls", "佐藤"})};
    for (const std::vector<std::string>& named :
         {std::vector<std::string>{"No.", "P_ファイル名", "担当者"},
          {"P_ファイル名", "担当者"},
          {}}) {
        SCOPED_TRACE(named.size());
        handLaidList(7, named);
        watch.log.clear();
        view = {};
        auto result = build();
        EXPECT_TRUE(result.updatedExisting);
        EXPECT_FALSE(result.saveFailure);
        EXPECT_THAT(view.captions, ElementsAre("mokuji - 目次ファイル更新開始"));
        // Opened for writing and saved in place; no new workbook.
        EXPECT_TRUE(watch.logged("Open(" + list + ")"));
        EXPECT_TRUE(watch.logged("Save(" + list + ")"));
        EXPECT_FALSE(watch.logged("Add"));

        saved();
        EXPECT_EQ(at("B1"), Variant("不具合報告一覧"));
        EXPECT_EQ(at("B7"), Variant("No."));
        EXPECT_EQ(at("D8"), Variant(2.0));
        EXPECT_EQ(at("D9"), Variant(3.0));
        EXPECT_EQ(at("B10"), Variant(1.0));
        EXPECT_EQ(at("C10"), Variant("a.xls"));
        EXPECT_EQ(at("D10"), Variant("鈴木"));
        EXPECT_EQ(at("B11"), Variant(2.0));
        EXPECT_EQ(at("C11"), Variant("b.xls"));
        EXPECT_EQ(at("D11"), Variant("佐藤"));
        for (const char* gone : {"B12", "C12", "C14", "C12000"})
            EXPECT_TRUE(at(gone).isEmpty()) << gone;
        EXPECT_EQ(names(), named);
    }
}

// A list file that cannot be opened would lose its rows and columns if a
// new one were written over it.
TEST_F(ListWorkbook, ListFileThatCannotBeOpenedIsNotReplaced) {
    dir.write("00_目次.xls", "not a workbook");
    setColumns({{"P_ファイル名", 0, 0}});
    rows.rows = {fake::textRow({"a.xls"})};
    auto result = build();
    ASSERT_TRUE(result.saveFailure);
    EXPECT_EQ(result.saveFailure->step, list_file::ListSaveFailure::Step::Open);
    EXPECT_FALSE(watch.logged("Add"));
    std::ifstream in(fake::utf8Path(list), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "not a workbook");
}

// A column name the application refuses as a name still heads its column,
// with its numbers below, and the next gathering finds the column again by
// that header, in its place.
TEST_F(ListWorkbook, RefusedNameHeadsItsColumnAndIsFoundAgainByIt) {
    setColumns({{"P_ファイル名", 0, 0}, {"P_マルチメディア クリップの数", 0, 0}, {"担当者", 2, 3}});
    rows.rows = {fake::textRow({"a.xls", "", "鈴木"})};
    EXPECT_THAT(build().namesNotAdded, ElementsAre("P_マルチメディア クリップの数"));

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
TEST_F(ListWorkbook, TextLongerThanACellHoldsIsCutAndNamed) {
    setColumns({{"P_ファイル名", 0, 0}, {"感想", 0, 0}});
    std::string text = "a";
    for (int i = 0; i < 20000; ++i) text += "\U00020BB7";  // two UTF-16 units each
    rows.rows = {fake::textRow({"長文.xls", text})};
    auto result = build();
    ASSERT_FALSE(result.saveFailure);
    ASSERT_EQ(result.valuesCut.size(), 1u);
    EXPECT_EQ(result.valuesCut[0].fileName, "長文.xls");
    EXPECT_EQ(result.valuesCut[0].column, "感想");
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    // xlrd counts code points: "a" and 16383 whole characters of two units.
    EXPECT_EQ(fake::xlrdSays(list,
                             "v = b.sheet_by_index(0).cell_value(5, 3)\n"
                             "print(len(v), v[0], v[-1] == chr(0x20BB7))"),
              "16384 a True\n");
}

// LibreOffice, where it is installed, reads the same values: its CSV
// export of the list is compared line by line.
// The list written as .xlsx reads, to openpyxl, cell for cell as the .xls
// one does to xlrd: values and types, formats, fonts, fills, borders,
// hidden rows, widths, links and names; and LibreOffice shows it alike.
TEST_F(ListWorkbook, TheListAsXlsxReadsAsTheXlsOne) {
    setColumns({{"P_ファイル名", 0, 0},
                {"件名", 2, 2},
                {"金額", 3, 2},
                {"日付", 4, 2},
                {"真偽", 5, 2},
                {"番号", 6, 2}});
    const auto date = Variant(automation::Date{38425.0});
    rows.rows = {{"a b.xls",
                  {Variant("a b.xls"), Variant("点検 <&>"), Variant(-5.25), date, Variant(true),
                   Variant("00123")}},
                 {"営業部/2026 春/c#d.xls",
                  {Variant("営業部/2026 春/c#d.xls"), Variant("行\n二行目"), Variant(1e300),
                   Variant(), Variant(false), Variant("_x0041_")}}};
    ASSERT_FALSE(build().saveFailure);
    ASSERT_FALSE(build("00_目次.xlsx").saveFailure);
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    const auto compared = [&] {
        return fake::pythonSays(list, "import runpy, sys\nsys.argv = ['c', sys.argv[1], '" +
                                          dir.file("00_目次.xlsx") + "']\nrunpy.run_path('" +
                                          fake::testData("../support/compare_list_formats.py") +
                                          "', run_name='__main__')");
    };
    EXPECT_EQ(compared(), "same\n");
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) GTEST_SKIP();
    fake::TempFolder outDir;
    for (const std::string name : {"00_目次.xls", "00_目次.xlsx"}) {
        fake::TempFolder profile;
        // An English locale, whose own date order is month first; names stay
        // UTF-8 where that locale is not installed.
        const std::string cmd =
            "cd '" + dir.path().string() +
            "' && env -u LC_ALL LANG=en_US.UTF-8 LC_CTYPE=C.UTF-8"
            " soffice -env:UserInstallation=file://" +
            profile.path().string() +
            " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76'"
            " --outdir '" +
            outDir.file(name.back() == 'x' ? "x" : "s") + "' " + name + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << name;
    }
    const auto csv = [&](const char* sub) {
        std::ifstream in(outDir.file(std::string(sub) + "/00_目次.csv"), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), {});
    };
    // Booleans aside: LibreOffice shows those of the .xls list as 1 and 0.
    EXPECT_THAT(csv("s"), ::testing::HasSubstr(",1,a b.xls,点検 <&>,-5.25,2005/3/14,1,00123\n"));
    EXPECT_THAT(csv("x"), ::testing::HasSubstr(
                              ",1,a b.xls,点検 <&>,-5.25,2005/3/14,TRUE,00123\n,2,"
                              "営業部/2026 春/c#d.xls,\"行\n二行目\",1E+300,,FALSE,_x0041_\n"));
    // A second run updates each list in its own format: a row gone, one new.
    rows.rows.erase(rows.rows.begin());
    rows.rows.push_back(
        {"z.xls",
         {Variant("z.xls"), Variant("追加"), Variant(7.0), date, Variant(false), Variant("0")}});
    ASSERT_FALSE(build().saveFailure);
    ASSERT_FALSE(build("00_目次.xlsx").saveFailure);
    EXPECT_EQ(compared(), "same\n");
}

TEST_F(ListWorkbook, LibreOfficeReadsTheSameValues) {
#ifdef _WIN32
    GTEST_SKIP() << "LibreOffice is the build machine's, beyond a Windows program's reach";
#endif
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) {
        // The setup installs it: in CI a missing reader is a broken setup.
        if (std::getenv("CI") != nullptr) FAIL() << "LibreOffice is not installed";
        GTEST_SKIP() << "LibreOffice is not installed";
    }
    setColumns({{"P_ファイル名", 0, 0}, {"件名", 2, 2}, {"金額", 3, 2}, {"式", 3, 3}});
    rows.rows = {
        {"a.xls", {Variant("a.xls"), Variant("点検"), Variant(-5.0), Variant("=1+1")}},
        {"b.xls", {Variant("b.xls"), Variant("報告"), Variant(1200.0), Variant("@SUM(A1)")}}};
    ASSERT_FALSE(build().saveFailure);
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
    EXPECT_THAT(csv, ::testing::HasSubstr(",No.,FILE名,件名,金額,式\n"));
    EXPECT_THAT(csv, ::testing::HasSubstr(",1,a.xls,点検,-5,=1+1\n"));
    EXPECT_THAT(csv, ::testing::HasSubstr(",2,b.xls,報告,1200,@SUM(A1)\n"));
}

}  // namespace
}  // namespace mokuji::run
