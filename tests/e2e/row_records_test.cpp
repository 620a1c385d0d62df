// The rows for other programs (--csv, --jsonl): read back with Python's csv
// and json modules, they hold what xlrd reads in the list of the same
// folder, value for value and type for type, and the folder is left as it
// was.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <map>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using automation::Date;
using automation::ErrorValue;
using ::testing::HasSubstr;
using ::testing::Not;

// Compares the rows file (rowspath, format fmt, bom "1" for a byte order
// mark) with the list (argv 1): prints "rows N", then a line for each
// difference in the bytes' form, the header or a value.
const char* kCompareWithList = R"(
import csv, io, json, sys, xlrd
b = xlrd.open_workbook(sys.argv[1])
at = {}
for n in b.name_obj_list:
    try:
        sheet, r0, r1, c0, c1 = n.area2d()
    except Exception:
        continue
    if n.scope == -1:
        at[(r0, c0)] = n.name
header = [r for (r, c), name in at.items() if name == 'No.'][0]
s = b.sheet_by_index(0)
columns = []
while 2 + len(columns) < s.ncols and s.cell_value(header, 2 + len(columns)) != '':
    columns.append(at.get((header, 2 + len(columns))))
def iso(v):
    t = xlrd.xldate_as_tuple(v, b.datemode)
    time = '%02d:%02d:%02d' % t[3:]
    if 0 <= v < 1:
        return time
    return '%04d-%02d-%02d' % t[:3] + ('T' + time if v != int(v) else '')
def expected(cell):
    if cell.ctype == 1:
        return ('text', cell.value)
    if cell.ctype == 2:
        return ('number', cell.value)
    if cell.ctype == 3:
        return ('text', iso(cell.value))
    if cell.ctype == 4:
        return ('bool', bool(cell.value))
    if cell.ctype == 5:
        return ('text', xlrd.error_text_from_code[cell.value])
    return ('empty', None)
rows = []
r = header + 3
while r < s.nrows and s.cell_value(r, 1) != '':
    rows.append([expected(s.cell(r, 2 + k)) for k in range(len(columns))])
    r += 1
raw = open(rowspath, 'rb').read()
if raw.startswith(b'\xef\xbb\xbf') != (bom == '1'):
    print('byte order mark', raw[:3])
text = raw.decode('utf-8-sig')
def same_csv(field, want):
    kind, v = want
    if kind == 'number':
        return float(field) == v
    if kind == 'bool':
        return field == ('TRUE' if v else 'FALSE')
    return field == ('' if v is None else v)
def same_json(value, want):
    kind, v = want
    if kind == 'number':
        return type(value) in (int, float) and value == v
    return type(value) == type(v) and value == v
if fmt == 'csv':
    records = list(csv.reader(io.StringIO(text, newline='')))
    again = io.StringIO()
    csv.writer(again, lineterminator='\r\n').writerows(records)
    if again.getvalue() != text:
        print('not CRLF records quoted only where needed')
    if records[0] != columns:
        print('header', records[0], columns)
    records, same = records[1:], same_csv
else:
    lines = text.split('\n')
    if lines[-1] != '' or '\r' in text:
        print('not one object a line, LF after each')
    records = [json.loads(line) for line in lines[:-1]]
    for o in records:
        if list(o.keys()) != columns:
            print('keys', list(o.keys()), columns)
    records, same = [list(o.values()) for o in records], same_json
print('rows', len(records))
if len(records) != len(rows):
    print('list rows', len(rows))
for i, (got, want) in enumerate(zip(records, rows)):
    for k, name in enumerate(columns):
        if not same(got[k], want[k]):
            print('row', i + 1, name, repr(got[k]), 'list', repr(want[k]))
)";

// Every file below the folder with its bytes.
std::map<std::string, std::string> filesBelow(const std::string& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(u8path(folder)))
        files[textOf(e.path())] = e.is_regular_file() ? contents(textOf(e.path())) : "folder";
    return files;
}

// A column of the answers and its value in each of three workbooks.
struct AnswerColumn {
    const char* name;
    automation::Variant values[3];
};

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// Texts that look like numbers, dates, booleans or formulas; texts with what
// CSV quotes and JSON escapes; numbers, dates, times, booleans, errors and
// empty cells.
const AnswerColumn kAnswers[] = {
    {"番号", {"'00123", "'=1+1", "'12345678901234567890"}},
    {"区分", {"'1-2", "'TRUE", Variant()}},
    {"記述", {"'a,b", "'say \"hi\"", "'一行目\r\n二行目\n三"}},
    {"制御",
     {"'a\x01"
      "b\tc\\d",
      "' 前後の空白 ", "'\""}},
    {"数値", {123.5, -1e308, 0.1}},
    {"桁", {1e15, -0.5, 1e21}},
    {"日付", {Date{38425}, Date{38425.4375}, Date{0.375}}},
    {"境目", {Date{36526.999999}, Date{61}, Date{2958465}}},
    {"真偽", {true, false, Variant()}},
    {"誤り", {ErrorValue{2042}, ErrorValue{2007}, kNaN}},
    {"P_フォルダ名", {Variant(), Variant(), Variant()}},
};

// The list runs that the rows are compared with open nothing.
const std::map<std::string, std::string> kOpenNothing = {{"MOKUJI_OPENER", "true"}};

struct RowsFolder {
    const char* what;
    std::vector<std::string> options;
    int rows;
    std::vector<std::string> err;
};

TEST(RowRecords, HoldTheListsValuesWithTheirTypesAndLeaveTheFolderAlone) {
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    const RowsFolder folders[] = {
        // The example folder with its list: columns read from that list.
        {"examples", {}, 4, {"に4行を書き込みました（読めなかったブック0件）"}},
        // A name that is no UTF-8 (Shift_JIS "ア"), a subfolder, a name with
        // a comma and quotes, a workbook that cannot be read.
        {"values",
         {"-r"},
         3,
         {"に3行を書き込みました（読めなかったブック1件）", "\n壊れた.xls（",
          "\n営業部/c,\"d\".xls（誤り）\n"}},
    };
    // Each output as the options ask for it: "@" is the test's folder.
    struct Output {
        std::vector<std::string> options;
        const char* file;  // "" for standard output
        const char* format;
        bool bom;
    };
    const Output outputs[] = {
        {{"--csv", "rows.csv"}, "rows.csv", "csv", false},
        {{"--csv=@/bom.csv", "--bom"}, "bom.csv", "csv", true},
        {{"--jsonl", "rows.jsonl"}, "rows.jsonl", "jsonl", false},
        {{"--jsonl", "-"}, "", "jsonl", false},
    };
    for (const RowsFolder& f : folders) {
        SCOPED_TRACE(f.what);
        Scene s;
        if (std::string(f.what) == "examples") {
            copyExamples("questionnaires", u8path(s.folder));
            ASSERT_EQ(s.run({s.folder}, kOpenNothing).status, 0);
        } else {
            const std::string names[] = {"a.xls", "\x83\x41.xls", "営業部/c,\"d\".xls"};
            std::filesystem::create_directories(u8path(s.at("営業部")));
            for (int w = 0; w < 3; ++w) {
                std::vector<fake::NamedValue> cells;
                int row = 2;
                for (const AnswerColumn& c : kAnswers)
                    cells.push_back({c.name, row++, 2, c.values[w]});
                fake::makeSource(s.at(names[w]), cells);
            }
            s.dir.write("回答/壊れた.xls", "これはブックではありません");
        }
        for (const Output& o : outputs) {
            // Without a list at first, with one on the later runs.
            const auto before = filesBelow(s.folder);
            std::vector<std::string> args = f.options;
            for (std::string a : o.options) {
                if (const auto at = a.find('@'); at != std::string::npos)
                    a.replace(at, 1, s.dir.path().string());
                args.push_back(a);
            }
            args.push_back(s.folder);
            SCOPED_TRACE(::testing::PrintToString(args));
            const ProgramRun r = s.run(args);
            EXPECT_EQ(r.status, 0) << r.err;
            for (const std::string& part : f.err) EXPECT_THAT(r.err, HasSubstr(part));
            std::string file = o.file;
            if (file.empty()) {
                EXPECT_THAT(r.err, HasSubstr("）: 標準出力\n"));
                file = s.dir.write("stdout.jsonl", r.out);
            } else {
                EXPECT_THAT(r.err, HasSubstr("）: " + s.dir.file(file) + "\n"));
                EXPECT_EQ(r.out, "");
                file = s.dir.file(file);
            }
            EXPECT_EQ(filesBelow(s.folder), before) << "the folder was changed";
            // Nothing is opened either.
            EXPECT_EQ(s.opener.opened(false), "");
            if (!std::filesystem::exists(u8path(s.list()))) {
                std::vector<std::string> listArgs = f.options;
                listArgs.push_back(s.folder);
                ASSERT_EQ(s.run(listArgs, kOpenNothing).status, 0);
            }
            const std::string given = "rowspath, fmt, bom = '" + file + "', '" + o.format + "', '" +
                                      (o.bom ? "1" : "0") + "'\n";
            EXPECT_EQ(fake::pythonSays(s.list(), given + kCompareWithList, "xlrd"),
                      "rows " + std::to_string(f.rows) + "\n");
        }
    }
}

// A file that cannot be written is named with why, the run fails, and no
// part of it is left behind.
TEST(RowRecords, AFileThatCannotBeWrittenIsNamedAndNotLeftHalfWritten) {
    Scene s;
    makeSource(s.at("a.xls"), {{2, 2, "回答", "件名"}});
    std::filesystem::create_directory(u8path(s.dir.file("rows.csv")));
    const struct {
        const char* file;
        const char* why;
    } cases[] = {{"rows.csv", "同じ名前のフォルダがあります"},
                 {"ない/rows.csv", "保存先のフォルダが見つかりません"}};
    for (const auto& c : cases) {
        const ProgramRun r = s.run({"--csv", c.file, s.folder});
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_THAT(r.err, HasSubstr("CSVを保存できませんでした。\n" + s.dir.file(c.file) + "\n" +
                                     c.why + "\n"));
        EXPECT_THAT(r.err, Not(HasSubstr("行を書き込みました")));
    }
    EXPECT_EQ(namesIn(s.dir.path().string()),
              (std::vector<std::string>{"opener.sh", "rows.csv", "回答"}));
}

}  // namespace
}  // namespace e2e
