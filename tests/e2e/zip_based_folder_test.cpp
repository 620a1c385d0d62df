// A folder of zip-based questionnaires (the example questionnaires saved
// again as .xlsx by LibreOffice): gathered unless the user narrows the
// extensions, and listed exactly as their .xls twins are.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "e2e/e2e_support.h"
#include "support/xlsx_package.h"

namespace e2e {
namespace {

using fake::XlsxPackage;
using ::testing::HasSubstr;

class ZipBasedFolder : public ::testing::Test, protected Scene {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(u8path(dir.file("config/mokuji")));
        copyExamples("questionnaires", dir.path() / "binary");
        copyExamples("questionnaires-xlsx", dir.path() / "zip");
    }

    // The list as our reader or xlrd sees it, with the .xls twins' names.
    std::string listOf(const std::string& folder, const std::string& extension,
                       bool byXlrd = false) {
        const std::string file = dir.file(folder + "/00_目次.xls");
        std::string list =
            byXlrd ? fake::xlrdSays(file, kXlrdListScript) : listAsOurReaderSees(file);
        for (std::size_t at = 0; (at = list.find(extension + "|", at)) != std::string::npos;
             at += 4)
            list.replace(at, extension.size(), ".xls");
        return list;
    }
};

TEST_F(ZipBasedFolder, ListLikeTheirBinaryTwinsByOptionOrSetting) {
    ASSERT_EQ(run({"binary"}).status, 0);
    const std::string twins = listOf("binary", ".xls");
    ASSERT_THAT(twins, HasSubstr("アンケート回答_00004.xls|"));

    // By default, the option over the list it wrote, then the setting. A
    // settings file may be shared with other versions: its fault is named
    // and the run goes on with the default extensions.
    for (int pass = 1; pass <= 4; ++pass) {
        if (pass == 3)
            dir.write("config/mokuji/mokuji.conf", "# gathered\n[gathering]\nextensions = XLSX\n");
        if (pass == 4) dir.write("config/mokuji/mokuji.conf", "extensions=*.xlsx\n");
        ProgramRun r = pass == 2 ? run({"--extensions", "xls,xlsx", "zip"}) : run({"zip"});
        EXPECT_EQ(r.status, 0) << "pass " << pass << ": " << r.err;
        EXPECT_EQ(listOf("zip", ".xlsx"), twins) << "pass " << pass;
        if (pass == 4) {
            EXPECT_THAT(r.err,
                        HasSubstr("extensions=*.xlsx：拡張子はカンマで区切って指定してください"
                                  "（例：xls,xlsx）。既定の xls,xlsx,xlsm を集めます。"));
        }
    }
    if (fake::xlrdAvailable()) {
        EXPECT_EQ(listOf("zip", ".xlsx", true), listOf("binary", ".xls", true));
    }
}

// One sheet S whose B2 holds shared string 0 and C3 a number, named 氏名
// and 点数; sharedStrings are the table's texts.
XlsxPackage answer(const std::string& rows, const std::vector<std::string>& sharedStrings) {
    XlsxPackage p;
    p.workbookBody =
        "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets><definedNames>"
        "<definedName name=\"氏名\">S!$B$2</definedName>"
        "<definedName name=\"点数\">S!$C$3</definedName></definedNames>";
    p.parts = {{"xl/worksheets/sheet1.xml", fake::sheetPart(rows)},
               {"xl/sharedStrings.xml", fake::sharedStringsPart(sharedStrings)}};
    return p;
}

constexpr const char* kRows =
    "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c></row><row r=\"3\"><c "
    "r=\"C3\"><v>80</v></c></row>";

TEST_F(ZipBasedFolder, EveryWorkbookWhoseValuesCannotBeReadIsNamedNeverListedBlank) {
    const std::string damaged = "（ファイルが壊れています）";
    const std::string refused = "（この形式のブックには対応していません）";
    std::string nested;
    for (int i = 0; i < 2'000'000; ++i) nested += "<x>";
    auto withSheetRelationship = [](const std::string& rel) {
        XlsxPackage p = answer(kRows, {"山田"});
        p.sheetRelationships[1] = rel;
        return p;
    };
    struct Case {
        std::string name;
        XlsxPackage package;
        std::string reason;  // empty: read
    };
    std::vector<Case> cases = {
        {"a_正常", answer(kRows, {"山田"}), ""},
        // Rows and cells in any order, as openpyxl and LibreOffice read them.
        {"b_逆順",
         answer(
             "<row r=\"9\"><c r=\"A9\"><v>9</v></c></row><row r=\"3\"><c r=\"D3\"><v>1</v></c>"
             "<c r=\"C3\"><v>75</v></c></row><row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c></row>",
             {"佐藤"}),
         ""},
        {"c_シートなし",
         [] {
             XlsxPackage p = answer(kRows, {"山田"});
             p.parts.erase(p.parts.begin());
             return p;
         }(),
         damaged},
        {"d_URL",
         withSheetRelationship(fake::relationship("rId1", "worksheet",
                                                  "http://example.com/sheet1.xml\" "
                                                  "TargetMode=\"External")),
         damaged},
        {"e_外",
         withSheetRelationship(
             fake::relationship("rId1", "worksheet", "../../../../etc/sheet1.xml")),
         damaged},
        {"f_自身",
         withSheetRelationship(fake::relationship("rId1", "worksheet", "/xl/workbook.xml")),
         damaged},
        {"g_関係なし", withSheetRelationship(""), damaged},
        {"h_入れ子", answer("<row r=\"1\">" + nested + "</row>" + kRows, {"山田"}), damaged},
        {"i_文書型",
         [] {
             XlsxPackage p = answer(kRows, {});
             p.parts[1].second =
                 "<?xml version=\"1.0\"?><!DOCTYPE sst [<!ENTITY a \"山田\">]>"
                 "<sst xmlns=\"" +
                 std::string(fake::kXlsxMain) + "\"><si><t>&a;</t></si></sst>";
             return p;
         }(),
         damaged},
        {"j_巨大",
         [] {
             XlsxPackage p = answer(kRows, {"山田"});
             p.tamper = [](std::vector<xls::zip::testing::BuiltEntry>& entries) {
                 entries.back().uncompressedSize = 2ull << 30;
                 entries.back().zip64 = true;
             };
             return p;
         }(),
         refused},
        {"k_範囲外", answer(kRows, {}), damaged},
        {"l_数でない",
         answer("<row r=\"2\"><c r=\"B2\" t=\"s\"><v>0</v></c></row>"
                "<row r=\"3\"><c r=\"C3\"><v>八十</v></c></row>",
                {"山田"}),
         damaged},
    };
    std::filesystem::create_directory(u8path(dir.file("damaged")));
    for (const auto& c : cases) {
        auto bytes = c.package.zip();
        dir.write("damaged/" + c.name + ".xlsx", std::string(bytes.begin(), bytes.end()));
    }

    ProgramRun r = run({"--extensions", "xlsx", "damaged"});
    EXPECT_EQ(r.status, 0) << r.err;
    for (const auto& c : cases) {
        const std::string named = "\n" + c.name + ".xlsx（";
        if (c.reason.empty()) {
            EXPECT_THAT(r.err, ::testing::Not(HasSubstr(named))) << c.name;
        } else {
            EXPECT_THAT(r.err, HasSubstr(named + c.reason.substr(3) + "\n")) << c.name;
        }
    }
    expectBothReadersAgree(dir.file("damaged/00_目次.xls"),
                           "sheet 目次\n"
                           "No.|FILE名|氏名|点数\n"
                           "||2|3\n"
                           "||2|3\n"
                           "1|a_正常.xlsx|山田|80\n"
                           "2|b_逆順.xlsx|佐藤|75\n");
    if (std::system("/usr/bin/python3 -c 'import openpyxl' >/dev/null 2>&1") == 0) {
        EXPECT_EQ(fake::pythonSays(dir.file("damaged/b_逆順.xlsx"),
                                   "import sys, openpyxl\n"
                                   "s = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
                                   "print(f\"{s['B2'].value}|{s['C3'].value}\", end='')",
                                   "openpyxl"),
                  "佐藤|75");
    }
}

// A template's name that points past the .xls grid cannot become a column
// of an .xls list: it is named, never dropped without a word, and the other
// names still make their columns.
TEST_F(ZipBasedFolder, ATemplateNamePastTheXlsGridIsNamed) {
    XlsxPackage p = answer(kRows, {"山田"});
    p.workbookBody =
        "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets><definedNames>"
        "<definedName name=\"氏名\">S!$B$2</definedName>"
        "<definedName name=\"最後のセル\">S!$XFD$1048576</definedName>"
        "<definedName name=\"遠い行\">S!$A$70000:$B$70001</definedName>"
        "<definedName name=\"定数\">42</definedName></definedNames>";
    std::filesystem::create_directory(u8path(dir.file("far")));
    const auto bytes = p.zip();
    dir.write("far/a.xlsx", std::string(bytes.begin(), bytes.end()));
    ProgramRun r = run({"far"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_THAT(r.err, HasSubstr("目次の列にしていません。\n最後のセル\n遠い行\n")) << r.err;
    EXPECT_THAT(r.err, ::testing::Not(HasSubstr("定数"))) << r.err;
    expectBothReadersAgree(dir.file("far/00_目次.xls"),
                           "sheet 目次\nNo.|FILE名|氏名\n||2\n||2\n1|a.xlsx|山田\n");
}

}  // namespace
}  // namespace e2e
