// What the list holds for each value a workbook gives, on a new list and on
// the runs after it: every value keeps its type and all of its text, and
// lands under its own header. Lists are read back by xlrd.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using automation::Date;
using ::testing::HasSubstr;
using ::testing::Not;

// Each data cell of the list's first data row under its header, as
// "header=type:value" with xlrd's cell types (1 text, 2 number, 3 date,
// 4 boolean), a date followed by its number format as written in the file
// (a built-in one, shown in each reader's locale, by its number); the list
// sheet is the one holding the name "No." (or "No_", as LibreOffice renames
// it).
const char* kCellsByHeader = R"(
def sheet_of(name):
    for n in b.name_obj_list:
        if n.name == name and n.scope == -1:
            return b.sheet_by_index(n.area2d()[0].number), n.area2d()[1]
sheet, header = sheet_of('No.') or sheet_of('No_')
print('active', b.sheet_names()[[i for i in range(b.nsheets) if b.sheet_by_index(i).sheet_selected][0]] if any(b.sheet_by_index(i).sheet_selected for i in range(b.nsheets)) else None)
for r in range(header + 3, sheet.nrows):
    cells = []
    for c in range(2, sheet.ncols):
        h = sheet.cell_value(header, c)
        if h == '':
            continue
        cell = sheet.cell(r, c)
        text = '%s=%d:%r' % (h, cell.ctype, cell.value)
        if cell.ctype == 3:
            key = b.xf_list[cell.xf_index].format_key
            text += '@' + (b.format_map[key].format_str if key >= 164 else str(key))
        cells.append(text)
    print('row', r + 1, ' '.join(cells))
)";

struct ValueCase {
    const char* name;
    automation::Variant source;  // as typed into the source cell
    const char* inList;          // type and value as xlrd reads them
};

// Texts are typed after an apostrophe, so that the source holds the text.
const std::vector<ValueCase> kCases = {
    {"社員番号", "'00123", "1:'00123'"},
    {"郵便番号", "'012-3456", "1:'012-3456'"},
    {"区分", "'1-2", "1:'1-2'"},
    {"割合", "'1/2", "1:'1/2'"},
    {"真偽の文字", "'TRUE", "1:'TRUE'"},
    {"記号", "'#N/A", "1:'#N/A'"},
    {"括弧", "'(5)", "1:'(5)'"},
    {"全角数字", "'１２３", "1:'１２３'"},
    {"長い番号", "'12345678901234567890", "1:'12345678901234567890'"},
    {"大きすぎる数", "'-1E+400", "1:'-1E+400'"},
    {"もっと大きい数", "'+1E+999", "1:'+1E+999'"},
    {"式の文字", "'=1+1", "1:'=1+1'"},
    {"タブ", "'前\t後", "1:'前\\t後'"},
    {"改行", "'一行目\n二行目", "1:'一行目\\n二行目'"},
    {"数値", 123.5, "2:123.5"},
    {"最小の数", -1e308, "2:-1e+308"},
    {"日付", Date{38425}, "3:38425.0@yyyy/m/d"},
    {"時刻", Date{0.375}, "3:0.375@h:mm:ss"},
    {"真偽", true, "4:1"},
    {"非数", std::numeric_limits<double>::quiet_NaN(), "1:'#NUM!'"},
    {"無限", std::numeric_limits<double>::infinity(), "1:'#NUM!'"},
};

class ListValues : public ::testing::Test {
  protected:
    std::string at(const std::string& name) const { return dir.file(name); }

    ProgramRun run() {
        return runProgram(MOKUJI_BINARY, {dir.path().string()}, {{"MOKUJI_OPENER", "true"}},
                          dir.path().string());
    }

    std::string cellsByHeader() {
        if (!fake::xlrdAvailable()) return "";
        return fake::xlrdSays(at("00_目次.xls"), kCellsByHeader);
    }

    fake::TempFolder dir;
};

TEST_F(ListValues, EachValueKeepsItsTypeAndTextOnEveryRun) {
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    std::vector<fake::NamedValue> cells;
    std::string expected = "row 6 FILE名=1:'回答\\t1.xls'";
    int row = 2;
    for (const ValueCase& c : kCases) {
        cells.push_back({c.name, row++, 2, c.source});
        expected += std::string(" ") + c.name + "=" + c.inList;
    }
    // A tab in the file name too: it must not push the values along.
    fake::makeSource(at("回答\t1.xls"), cells);

    for (int pass = 1; pass <= 2; ++pass) {
        ProgramRun r = run();
        ASSERT_FALSE(r.timedOut);
        EXPECT_EQ(r.status, 0) << r.err;
        // Values no cell can hold as they are are named, not dropped.
        EXPECT_THAT(r.err, HasSubstr("文字列「#NUM!」として目次に載せました。\n"
                                     "回答\t1.xls（非数）\n回答\t1.xls（無限）\n"));
        const std::string seen = cellsByHeader();
        EXPECT_THAT(seen, HasSubstr(expected + "\n")) << "pass " << pass << "\n" << seen;
        EXPECT_THAT(seen, Not(HasSubstr("row 7"))) << seen;
    }
}

// Names that are cells only in the larger grid of later formats are names
// in a list file, so their columns are found again on the next runs.
TEST_F(ListValues, NamesLikeCellsOfLargerGridsKeepTheirColumns) {
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    fake::makeSource(at("a.xls"), {{"ANS1", 2, 2, "'はい"},
                                   {"TAX2019", 2, 3, 1200.0},
                                   {"KEY1", 2, 4, "'K-1"},
                                   {"担当者", 2, 5, "'鈴木"}});
    fake::makeSource(at("b.xls"), {{"ANS1", 2, 2, "'いいえ"},
                                   {"TAX2019", 2, 3, 800.0},
                                   {"KEY1", 2, 4, "'K-2"},
                                   {"担当者", 2, 5, "'佐藤"}});
    for (int pass = 1; pass <= 3; ++pass) {
        ProgramRun r = run();
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_THAT(r.err, Not(HasSubstr("名前として定義できません")));
        const std::string seen = cellsByHeader();
        EXPECT_THAT(seen, HasSubstr("row 6 FILE名=1:'a.xls' ANS1=1:'はい' TAX2019=2:1200.0 "
                                    "KEY1=1:'K-1' 担当者=1:'鈴木'\n"
                                    "row 7 FILE名=1:'b.xls' ANS1=1:'いいえ' TAX2019=2:800.0 "
                                    "KEY1=1:'K-2' 担当者=1:'佐藤'\n"))
            << "pass " << pass << "\n"
            << seen;
    }
}

// The list sheet is updated whatever sheet the file was saved with in
// front, and only it: a workbook whose chart sheet was active.
TEST_F(ListValues, UpdateWritesTheListSheetWhenAChartSheetWasActive) {
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    fake::makeSource(at("a.xls"), {{"担当者", 2, 2, "'鈴木"}});
    // A workbook of another program with two chart sheets, made a list by
    // naming the header cells of its worksheet, and saved with a chart
    // sheet active.
    {
        auto app = xls::native::createApplication();
        automation::OpenArguments open;
        open.fileName = fake::testData("corpus/apache__poi/44010-TwoCharts.xls");
        auto book = app->workbooks()->open(open);
        auto sheets = book->sheets();
        ASSERT_EQ(sheets->count(), 3);
        auto list = sheets->item(1);
        list->cells(3, 2)->setFormulaR1C1("No.");
        list->cells(3, 3)->setFormulaR1C1("FILE名");
        list->cells(3, 4)->setFormulaR1C1("担当者");
        list->cells(4, 4)->setFormulaR1C1(std::int32_t{2});
        list->cells(5, 4)->setFormulaR1C1(std::int32_t{2});
        const std::string sheet = "'" + list->name() + "'";
        book->names()->add("No.", "=" + sheet + "!R3C2");
        book->names()->add("P_ファイル名", "=" + sheet + "!R3C3");
        book->names()->add("担当者", "=" + sheet + "!R3C4");
        sheets->item(2)->select();
        automation::SaveAsArguments save;
        save.fileName = at("00_目次.xls");
        book->saveAs(save);
    }
    // Chart sheets are the sheets xlrd does not load.
    const char* countCharts = "print(b._all_sheets_count - b.nsheets)";
    const std::string charts = fake::xlrdSays(at("00_目次.xls"), countCharts);

    ProgramRun r = run();
    EXPECT_EQ(r.status, 0) << r.err;
    const std::string seen = cellsByHeader();
    // The sheet's own texts in the header row head no list column.
    EXPECT_THAT(seen, HasSubstr("row 6 FILE名=1:'a.xls' 担当者=1:'鈴木' 0.7=0:''")) << seen;
    EXPECT_THAT(seen, HasSubstr("active auto_1")) << seen;
    EXPECT_EQ(fake::xlrdSays(at("00_目次.xls"), countCharts), charts);
}

// Lists another program saved, each updated twice: every value stays under
// its own header, and the other sheets as they were.
TEST_F(ListValues, ListsSavedElsewhereAreUpdated) {
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    const char* otherSheets = R"(
for s in b.sheets():
    if s.name != '目次':
        print(s.name, s.nrows, s.ncols, [s.row_values(r) for r in range(s.nrows)])
)";
    const std::string first =
        "row 6 FILE名=1:'アンケート回答_00001.xls' 件名=1:'2024年度 職場環境アンケート' ";
    const struct {
        const char* fixture;
        std::string seen;   // what the list holds after each update
        std::string notes;  // how the other sheets begin
    } lists[] = {
        // Edited in LibreOffice: a notes sheet inserted in front and left
        // active, and a column of the user's own (no name) inserted before
        // 提出日; the user's note stays beside its workbook.
        {"list_notes_first_by_libreoffice.xls",
         "active 目次\n" +
             std::string("row 6 FILE名=1:'アンケート回答_00001.xls' "
                         "件名=1:'2024年度 職場環境アンケート' 備考=1:'利用者の書き込み' "
                         "提出日=3:45562.0@yyyy/m/d 回答日=3:45555.0@yyyy/m/d 社員番号=2:100009.0 "
                         "氏名=1:'井上 陽子'"),
         "メモ 10 3"},
        // Columns formatted with a style format, which no cell may use, and
        // dates with the built-in date format each reader shows its own way.
        {"list_format15_is_style.xls",
         first + "提出日=3:45562.0@yyyy/m/d 回答日=3:45555.0@yyyy/m/d 社員番号=2:100009.0", ""},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.fixture);
        fake::TempFolder here;
        copyExamples("questionnaires", here.path());
        std::filesystem::copy_file(fake::testData(std::string("fixtures/") + l.fixture),
                                   u8path(here.file("00_目次.xls")));
        const std::string notesBefore = fake::xlrdSays(here.file("00_目次.xls"), otherSheets);
        ASSERT_THAT(notesBefore, ::testing::StartsWith(l.notes));
        for (int pass = 1; pass <= 2; ++pass) {
            ProgramRun r = runProgram(MOKUJI_BINARY, {here.path().string()},
                                      {{"MOKUJI_OPENER", "true"}}, here.path().string());
            EXPECT_EQ(r.status, 0) << r.err;
            EXPECT_EQ(fake::xlrdSays(here.file("00_目次.xls"), otherSheets), notesBefore);
            const std::string seen = fake::xlrdSays(here.file("00_目次.xls"), kCellsByHeader);
            EXPECT_THAT(seen, HasSubstr(l.seen)) << "pass " << pass << "\n" << seen;
            EXPECT_THAT(seen, HasSubstr("row 9 FILE名=1:'アンケート回答_00004.xls'")) << seen;
            EXPECT_THAT(seen, Not(HasSubstr("row 10"))) << seen;
        }
    }
}

}  // namespace
}  // namespace e2e
