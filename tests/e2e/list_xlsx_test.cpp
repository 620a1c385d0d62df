// The list in the zip-based format: made and updated as the .xls list is,
// cell for cell, and, once another program has edited and saved it,
// updated with every part the list does not own carried over byte for byte.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kEditScript = fake::testData("../support/libreoffice_edit.py");

// Each part of the package by name, as a digest of its bytes.
std::map<std::string, std::string> partsOf(const std::string& package) {
    const std::string listed = fake::pythonSays(package, R"(
import hashlib, sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    print(i.filename, hashlib.sha1(zipfile.ZipFile(sys.argv[1]).read(i)).hexdigest()))");
    std::map<std::string, std::string> parts;
    std::istringstream lines(listed);
    for (std::string name, digest; lines >> name >> digest;) parts[name] = digest;
    return parts;
}

// What a comparing script of tests/support prints for the .xls list and
// the other files it is given.
std::string scriptSays(const std::string& script, const std::string& xls,
                       const std::vector<std::string>& others) {
    std::string argv = "['c', sys.argv[1]";
    for (const std::string& other : others) argv += ", '" + other + "'";
    return fake::pythonSays(xls, "import runpy, sys\nsys.argv = " + argv + "]\nrunpy.run_path('" +
                                     fake::testData("../support/" + script) +
                                     "', run_name='__main__')");
}

std::string comparedWithXls(const std::string& xls, const std::string& xlsx) {
    return scriptSays("compare_list_formats.py", xls, {xlsx});
}

class XlsxList : public ::testing::Test {
  protected:
    fake::TempFolder dir;
    std::string xls() const { return dir.file("00_目次.xls"); }
    std::string xlsx() const { return dir.file("00_目次.xlsx"); }
    ProgramRun run(std::vector<std::string> options = {}) {
        options.push_back(dir.path().string());
        return runProgram(MOKUJI_BINARY, options, {{"MOKUJI_OPENER", "true"}}, dir.path().string());
    }
};

TEST_F(XlsxList, MadeAndUpdatedCellForCellAsTheXlsList) {
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    copyExamples("questionnaires", dir.path());
    ASSERT_EQ(run().status, 0);
    const ProgramRun made = run({"--list", "xlsx"});
    ASSERT_EQ(made.status, 0) << made.err;
    // The other list beside it is named, and left alone.
    EXPECT_THAT(made.err, HasSubstr("00_目次.xls もありますが、00_目次.xlsx の方を使いました"));
    EXPECT_EQ(comparedWithXls(xls(), xlsx()), "same\n");

    std::filesystem::remove(u8path(dir.file("アンケート回答_00002.xls")));
    std::filesystem::copy_file(u8path(dir.file("アンケート回答_00004.xls")),
                               u8path(dir.file("アンケート回答_00000.xls")));
    const std::string xlsBefore = contents(xls());
    ASSERT_EQ(run({"--list=xlsx"}).status, 0);
    EXPECT_EQ(contents(xls()), xlsBefore);
    const ProgramRun asXls = run();
    ASSERT_EQ(asXls.status, 0) << asXls.err;
    EXPECT_THAT(asXls.err, HasSubstr("00_目次.xlsx もありますが、00_目次.xls の方を使いました"));
    EXPECT_EQ(comparedWithXls(xls(), xlsx()), "same\n");

    // The list is read in its own format whatever is gathered.
    const ProgramRun xlsAlone = run({"--extensions", "xls", "--list", "xlsx"});
    ASSERT_EQ(xlsAlone.status, 0) << xlsAlone.err;
    EXPECT_EQ(comparedWithXls(xls(), xlsx()), "same\n");
}

// A list the engine cannot update as it stands is left exactly as it was,
// and the run says why: damaged, counting dates from 1904, or holding cells
// past the grid the list is edited in.
TEST_F(XlsxList, ThatCannotBeUpdatedIsKeptAndNamed) {
    const char* rewrite = R"(
import re, sys, zipfile
part, old, new = sys.argv[2:5]
with zipfile.ZipFile(sys.argv[1]) as z:
    items = [(i, z.read(i)) for i in z.infolist()]
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:
    for i, data in items:
        if i.filename == part:
            data = re.sub(old, new, data.decode(), count=1).encode()
        z.writestr(i, data)
)";
    struct Fault {
        const char* what;
        std::vector<std::string> rewrite;  // part, pattern, replacement; none: cut in half
        const char* said;
    };
    const std::vector<Fault> faults = {
        {"cut in half", {}, "（ファイルが壊れています）"},
        {"dates from 1904",
         {"xl/workbook.xml", "(<workbook[^>]*>)", "\\1<workbookPr date1904=\"1\"/>"},
         "目次ファイルを開けませんでした（この形式のブックには対応していません）"},
        {"a cell past the format's last column",
         {"xl/worksheets/sheet1.xml", "</sheetData>",
          "<row r=\"70000\"><c r=\"XFE70000\"><v>1</v></c></row></sheetData>"},
         "holds cells past row 1048576 or column XFD"},
    };
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "Python is not installed";
    copyExamples("questionnaires", dir.path());
    ASSERT_EQ(run({"--list", "xlsx"}).status, 0);
    const std::string good = contents(xlsx());
    for (const Fault& f : faults) {
        SCOPED_TRACE(f.what);
        if (f.rewrite.empty()) {
            dir.write("00_目次.xlsx", good.substr(0, good.size() / 2));
        } else {
            dir.write("00_目次.xlsx", good);
            fake::TempFolder scripts;
            const std::string command = "/usr/bin/python3 '" + scripts.write("r.py", rewrite) +
                                        "' '" + xlsx() + "' '" + f.rewrite[0] + "' '" +
                                        f.rewrite[1] + "' '" + f.rewrite[2] + "'";
            ASSERT_EQ(std::system(command.c_str()), 0) << command;
        }
        const std::string kept = contents(xlsx());
        const ProgramRun r = run();
        EXPECT_GT(r.status, 0) << r.err;
        EXPECT_THAT(r.err, HasSubstr(f.said));
        EXPECT_EQ(contents(xlsx()), kept);
    }
}

// Where the .xls list stops (its 250 columns, its 65,536 rows), the .xlsx
// list goes on, new and on the second run; inside the .xls grid both read
// the same cell for cell, in openpyxl and xlrd, and in LibreOffice.
TEST_F(XlsxList, GoesOnPastTheXlsGridWhereTheXlsListStops) {
    struct Case {
        const char* what;
        std::function<void()> fill;
        const char* shape;     // the .xlsx list's, as the check prints it
        const char* xlsStops;  // what the .xls list's run says, or ""
        bool manyWorkbooks;    // run by the release build alone
    };
    const std::vector<Case> cases = {
        {"300 columns",
         [&] {
             // Named in the order they are placed: the first 250 by name are
             // the first 250 by place, as both lists take them.
             std::vector<std::string> names;
             names.reserve(300);
             std::vector<fake::NamedValue> values;
             for (int i = 1; i <= 300; ++i) {
                 char label[16];
                 std::snprintf(label, sizeof label, "項目%03d", i);
                 names.emplace_back(label);
                 values.push_back({names.back().c_str(), 2 + (i - 1) / 100, 1 + (i - 1) % 100,
                                   automation::Variant(
                                       i % 7 == 0 ? automation::Variant(i * 1.5)
                                                  : automation::Variant("v" + std::to_string(i)))});
             }
             fake::makeSource(dir.file("a.xls"), values);
             values.resize(260);
             fake::makeSource(dir.file("b.xls"), values);
         },
         "rows 7 columns 303\nlast row [2.0, 'b.xls']\nlast header 項目300\n", "", false},
        {"70,000 rows",
         [&] {
             copyExamples("questionnaires", dir.path());
             // Links to two of them: a row each, for the disk of one.
             const auto names = namesIn(dir.path().string());
             for (int i = 1; i <= 70000 - static_cast<int>(names.size()); ++i) {
                 char name[32];
                 std::snprintf(name, sizeof name, "写し_%05d.xls", i);
                 std::filesystem::create_hard_link(u8path(dir.file(names[i % 2])),
                                                   u8path(dir.file(name)));
             }
         },
         "rows 70005 columns 27\nlast row [70000.0, '写し_69996.xls']\nlast header P_作成日時\n",
         "最後の4469件のブックは目次に載せていません", true},
    };
    if (!fake::xlrdAvailable()) GTEST_SKIP() << "python3-xlrd is not installed";
    if (withoutLibreOffice()) GTEST_SKIP() << "LibreOffice is not installed";
    const auto csvOf = [&](const std::string& list, const fake::TempFolder& out) {
        fake::TempFolder profile;
        const std::string cmd =
            "soffice -env:UserInstallation=file://" + profile.path().string() +
            " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76'"
            " --outdir '" +
            out.path().string() + "' '" + list + "' >/dev/null 2>&1";
        EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
#ifdef MOKUJI_SANITIZED_BUILD
        if (c.manyWorkbooks) continue;
#endif
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            std::filesystem::remove(e.path());
        c.fill();
        const ProgramRun asXls = run({"--list", "xls"});
        EXPECT_EQ(asXls.status, 0) << asXls.err;
        if (*c.xlsStops) {
            EXPECT_THAT(asXls.err, HasSubstr(c.xlsStops));
        }
        for (int pass = 1; pass <= 2; ++pass) {
            SCOPED_TRACE(pass == 1 ? "new" : "updated");
            const ProgramRun r = run({"--list", "xlsx"});
            ASSERT_EQ(r.status, 0) << r.err;
            EXPECT_THAT(r.err, Not(HasSubstr("載せていません")));
            EXPECT_THAT(r.err, Not(HasSubstr("名前として定義できません")));
            // Each list's export is "00_目次.csv": one folder for each.
            std::vector<std::string> args = {xlsx()};
            fake::TempFolder xlsOut, xlsxOut;
            if (pass == 2) {
                csvOf(xls(), xlsOut);
                csvOf(xlsx(), xlsxOut);
                args.push_back(xlsOut.file("00_目次.csv"));
                args.push_back(xlsxOut.file("00_目次.csv"));
            }
            EXPECT_EQ(scriptSays("compare_past_the_grid.py", xls(), args),
                      std::string(c.shape) + "same\n");
        }
    }
}

struct Editor {
    const char* what;
    std::vector<std::string> libreOfficeSteps;  // else the openpyxl script
    const char* openpyxlScript;
    // Printed by the check after each update, read with openpyxl or
    // LibreOffice's export of the list sheet.
    std::vector<std::string> expected;
};

void PrintTo(const Editor& e, std::ostream* os) {
    *os << e.what;
}

const std::vector<Editor> kEditors = {
    {"LibreOffice: notes, a comment, a chart and a sheet of its own",
     {"set-text:目次:3:28:確認", "set-text:目次:6:28:済", "comment:目次:7:3:電話する",
      "add-sheet:集計", "set:集計:1:1:=COUNTA($目次.C6:C9)", "chart:目次:6:12:4:1"},
     nullptr,
     {",1,アンケート回答_00001.xls,", ",済\n", ",4,アンケート回答_00004.xls,"}},
    {"openpyxl: notes, a formula above the header, a sheet and a name of its own",
     {},
     R"(
import openpyxl, sys
from openpyxl.workbook.defined_name import DefinedName
b = openpyxl.load_workbook(sys.argv[1])
s = b['目次']
s.cell(3, 28, '確認')
s.cell(7, 28, '要電話')
s.cell(1, 2, '=SUM(D4:E4)')
m = b.create_sheet('メモ')
m['A1'] = '集計は金曜'
b.defined_names.append(DefinedName('メモ欄', attr_text='メモ!$A$1'))
b.save(sys.argv[1])
)",
     {"row 7: 2 アンケート回答_00002.xls 要電話", "sheets ['目次', 'メモ']", "メモ欄 メモ!$A$1",
      "B1 =SUM(D4:E4)"}},
};

class XlsxListEdited : public ::testing::TestWithParam<Editor> {
  protected:
    fake::TempFolder dir;
    std::string xlsx() const { return dir.file("00_目次.xlsx"); }
    ProgramRun run(std::vector<std::string> options = {}) {
        options.push_back(dir.path().string());
        return runProgram(MOKUJI_BINARY, options, {{"MOKUJI_OPENER", "true"}}, dir.path().string());
    }
    std::string seen(const Editor& e) {
        if (e.openpyxlScript)
            return fake::pythonSays(xlsx(), R"(
import openpyxl, sys
b = openpyxl.load_workbook(sys.argv[1])
print('sheets', b.sheetnames)
for n in b.defined_names.definedName:
    print(n.name, n.attr_text)
s = b['目次']
print('B1', s['B1'].value)
for r in range(6, s.max_row + 1):
    print('row %d:' % r, ' '.join(str(s.cell(r, c).value) for c in (2, 3, 28)))
)");
        fake::TempFolder out, profile;
        const std::string cmd =
            "cd '" + dir.path().string() + "' && soffice -env:UserInstallation=file://" +
            profile.path().string() +
            " --headless --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76'"
            " --outdir '" +
            out.path().string() + "' 00_目次.xlsx >/dev/null 2>&1";
        if (std::system(cmd.c_str()) != 0) return "LibreOffice could not read the list";
        return contents(out.file("00_目次.csv"));
    }
};

TEST_P(XlsxListEdited, UpdatedWithEveryOtherPartUnchanged) {
    const Editor& e = GetParam();
    if (!fake::xlrdAvailable() || withoutLibreOffice(e.openpyxlScript == nullptr))
        GTEST_SKIP() << "LibreOffice, python3-uno or the Python readers are not installed";
    copyExamples("questionnaires", dir.path());
    ASSERT_EQ(run({"--list", "xlsx"}).status, 0);
    if (e.openpyxlScript) {
        fake::pythonSays(xlsx(), e.openpyxlScript);
    } else {
        std::string command = "/usr/bin/python3 '" + kEditScript + "' '" + xlsx() + "'";
        for (const std::string& step : e.libreOfficeSteps) command += " '" + step + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    const auto edited = partsOf(xlsx());
    // The list's own: its sheet, the links of its rows, the formats they take.
    const std::set<std::string> owned = {"xl/worksheets/sheet1.xml",
                                         "xl/worksheets/_rels/sheet1.xml.rels", "xl/styles.xml"};
    std::map<std::string, std::string> first;
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE("update " + std::to_string(pass));
        const ProgramRun r = run();
        ASSERT_EQ(r.status, 0) << r.err;
        const auto updated = partsOf(xlsx());
        for (const auto& [name, digest] : edited) {
            if (owned.count(name) || name == "xl/calcChain.xml") continue;
            ASSERT_TRUE(updated.count(name)) << name;
            EXPECT_EQ(updated.at(name), digest) << name;
        }
        // A second update changes nothing at all.
        if (pass == 2) {
            EXPECT_EQ(updated, first);
        }
        first = updated;
        const std::string text = seen(e);
        for (const std::string& line : e.expected) EXPECT_THAT(text, HasSubstr(line)) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Editors, XlsxListEdited, ::testing::ValuesIn(kEditors),
                         [](const auto& info) { return "Editor" + std::to_string(info.index); });

}  // namespace
}  // namespace e2e
