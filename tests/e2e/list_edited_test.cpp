// Lists edited and saved by LibreOffice itself, as users reshape them, then
// updated twice: no row lost, misplaced or left behind, the hidden rows of
// row and column numbers kept, and what the user typed beside the data
// travelling with its workbook. Each list is read back with xlrd.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// The list sheet (the sheet of the workbook-level name No. or No_) from its
// header row down: each row's non-empty cells as "row N: A=..|B=..", the
// links of column C, and the sheet of removed rows when there is one.
const char* kListDump = R"(
def sheet_of(name):
    for n in b.name_obj_list:
        if n.name == name and n.scope == -1:
            a = n.area2d()
            return b.sheet_by_index(a[0].number), a[1]
    return None
sheet, header = sheet_of('No.') or sheet_of('No_')
print('sheets', b.sheet_names(), 'header', header + 1)
def text(c):
    if c.ctype == 2:
        return str(int(c.value)) if c.value == int(c.value) else repr(c.value)
    return str(c.value)
links = {(h.frowx, h.fcolx): h.url_or_path for h in sheet.hyperlink_list}
for r in range(header, sheet.nrows):
    cells = ['%s=%s' % (xlrd.colname(c), text(sheet.cell(r, c)))
             for c in range(sheet.ncols) if sheet.cell(r, c).ctype not in (0, 6)]
    hidden = r in sheet.rowinfo_map and sheet.rowinfo_map[r].hidden
    link = links.get((r, 2))
    print('row %d%s: %s%s' % (r + 1, ' hidden' if hidden else '', '|'.join(cells),
                              ' -> ' + link if link else ''))
if '削除された行' in b.sheet_names():
    s = b.sheet_by_name('削除された行')
    for r in range(s.nrows):
        print('removed:', '|'.join(text(s.cell(r, c)) for c in range(s.ncols)))
)";

const std::string kEditScript = fake::testData("../support/libreoffice_edit.py");

struct EditCase {
    const char* what;
    std::vector<std::string> steps;  // handed to libreoffice_edit.py
    // Between the edit and the updates: a workbook taken away, one added.
    const char* removed = nullptr;
    const char* added = nullptr;
    std::vector<std::string> expected;  // lines of the dump, after each update
    std::vector<std::string> absent;
    const char* message = nullptr;  // on standard error of the first update
};

void PrintTo(const EditCase& c, std::ostream* os) {
    *os << c.what;
}

const std::string kFirst = "アンケート回答_00001.xls";
const std::string kLast = "アンケート回答_00004.xls";

const std::vector<EditCase> kCases = {
    {"a title row inserted above the header",
     {"insert-rows:目次:1:1", "set:目次:1:2:職場環境アンケート 集計"},
     nullptr,
     nullptr,
     {"header 4\n", "row 5 hidden: ", "row 6 hidden: ", "row 7: B=1|C=" + kFirst,
      "row 10: B=4|C=" + kLast},
     {"row 11:"}},
    {"the empty rows above the header deleted",
     {"delete-rows:目次:1:2"},
     nullptr,
     nullptr,
     {"header 1\n", "row 2 hidden: ", "row 3 hidden: ", "row 4: B=1|C=" + kFirst,
      "row 7: B=4|C=" + kLast},
     {"row 8:"}},
    {"the list sheet copied",
     {"copy-sheet:目次:目次のコピー"},
     nullptr,
     nullptr,
     {"header 3\n", "row 6: B=1|C=" + kFirst + "|", " -> " + kFirst + "\n",
      "row 9: B=4|C=" + kLast + "|"},
     {}},
    {"notes typed beside the data, one workbook gone and one added",
     {"set-text:目次:3:28:確認", "set-text:目次:6:28:済", "set-text:目次:7:28:要電話",
      "set:目次:9:28:3", "set-text:目次:7:1:★"},
     "アンケート回答_00002.xls",
     "アンケート回答_00000.xls",
     {"row 3: B=No.|C=FILE名|", "|AB=確認\n", "row 6: B=1|C=アンケート回答_00000.xls|",
      "row 7: B=2|C=" + kFirst + "|", "|AB=済 -> " + kFirst + "\n", "row 9: B=4|C=" + kLast + "|",
      "|AB=3 -> " + kLast + "\n", "removed: FILE名|(A列)|確認\n",
      "removed: アンケート回答_00002.xls|★|要電話\n"},
     {"row 10:"},
     "アンケート回答_00002.xls"},
    {"a total typed below the data, a row of remarks inserted, a column inserted with notes",
     {"set-text:目次:11:2:合計", "set:目次:11:12:=SUM(L6:L9)", "insert-rows:目次:8:1",
      "set-text:目次:8:3:電話で確認した", "insert-columns:目次:5:1", "set-text:目次:3:5:確認",
      "set-text:目次:7:5:OK"},
     nullptr,
     nullptr,
     {"row 7: B=2|C=アンケート回答_00002.xls|D=2024年度 職場環境アンケート|E=OK|F=",
      "row 9: B=4|C=" + kLast + "|", "removed: FILE名|No.|確認|金額\n",
      "removed: 電話で確認した|||\n", "removed: |合計||177390.22\n"},
     {"row 10:", "row 11:"},
     "（ファイル名のない行）"},
};

class ListEditedInLibreOffice : public ::testing::TestWithParam<EditCase> {
  protected:
    fake::TempFolder dir;

    std::string list() const { return dir.file("00_目次.xls"); }
    ProgramRun run() {
        return runProgram(MOKUJI_BINARY, {dir.path().string()}, {{"MOKUJI_OPENER", "true"}},
                          dir.path().string());
    }
};

TEST_P(ListEditedInLibreOffice, UpdatesKeepEveryRowAndNote) {
    const EditCase& c = GetParam();
    if (!fake::xlrdAvailable() || withoutLibreOffice(true))
        GTEST_SKIP() << "LibreOffice, python3-uno or xlrd is not installed";
    copyExamples("questionnaires", dir.path());
    ProgramRun first = run();
    ASSERT_EQ(first.status, 0) << first.err;

    std::string command = "/usr/bin/python3 '" + kEditScript + "' '" + list() + "'";
    for (const std::string& step : c.steps) command += " '" + step + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    if (c.removed) std::filesystem::remove(u8path(dir.file(c.removed)));
    if (c.added) std::filesystem::copy_file(u8path(dir.file(kLast)), u8path(dir.file(c.added)));

    for (int pass = 1; pass <= 2; ++pass) {
        ProgramRun r = run();
        EXPECT_EQ(r.status, 0) << r.err;
        if (pass == 1 && c.message) {
            EXPECT_THAT(r.err, HasSubstr(c.message));
        }
        const std::string seen = fake::xlrdSays(list(), kListDump);
        for (const std::string& line : c.expected)
            EXPECT_THAT(seen, HasSubstr(line)) << "pass " << pass << "\n" << seen;
        for (const std::string& line : c.absent)
            EXPECT_THAT(seen, Not(HasSubstr(line))) << "pass " << pass << "\n" << seen;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ListEditedInLibreOffice, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "Case" + std::to_string(info.index); });

}  // namespace
}  // namespace e2e
