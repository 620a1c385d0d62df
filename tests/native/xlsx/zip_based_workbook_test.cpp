// Zip-based workbooks made here part by part, read through the automation
// interface as the list's readers read them: names and their cells,
// values as text, properties, and what is refused.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "automation/automation_error.h"
#include "automation/native/native_application.h"
#include "native/zip/zip_builder.h"
#include "support/temp_folder.h"
#include "support/xlsx_package.h"

namespace {

using automation::AutomationError;
using automation::OpenFailure;
using ::testing::HasSubstr;
using xls::zip::testing::BuiltEntry;

using Package = fake::XlsxPackage;
using fake::relationship;
using fake::sheetPart;
constexpr const char* kMain = fake::kXlsxMain;

class ZipBasedWorkbook : public ::testing::Test {
  protected:
    std::shared_ptr<automation::Workbook> open(const std::vector<std::uint8_t>& zip,
                                               const std::string& name = "book.xlsx") {
        const std::string path = dir.write(name, std::string(zip.begin(), zip.end()));
        automation::OpenArguments args;
        args.fileName = path;
        args.readOnly = true;
        return app->workbooks()->open(args);
    }
    // What a name's cell reads as, or "(no range)".
    static std::string valueOf(automation::Workbook& book, const std::string& name) {
        auto names = book.names();
        for (std::int32_t i = 1; i <= names->count(); ++i) {
            auto n = names->item(i);
            if (n->name() != name) continue;
            std::shared_ptr<automation::Range> r;
            try {
                r = n->refersToRange();
            } catch (const AutomationError&) {
                return "(no range)";
            }
            std::string place = r->worksheet()->name() + "!R" + std::to_string(r->row()) + "C" +
                                std::to_string(r->column()) + "x" + std::to_string(r->rowCount()) +
                                "," + std::to_string(r->columnCount());
            if (r->rowCount() * r->columnCount() > 1) return place;
            automation::Variant v = r->value();
            if (auto e = v.get<automation::ErrorValue>())
                return place + "=#" + std::to_string(e->code);
            return place + "=" + v.toText();
        }
        return "(no name)";
    }

    fake::TempFolder dir;
    std::unique_ptr<automation::Application> app = xls::native::createApplication();
};

TEST_F(ZipBasedWorkbook, NamesResolveAndCellsReadAsTheBinaryFormatsDo) {
    Package p;
    p.sheets = 2;
    p.workbookBody =
        "<workbookPr date1904=\"1\"/><bookViews><workbookView activeTab=\"1\"/></bookViews>"
        "<sheets><sheet name=\"回答票\" sheetId=\"1\" r:id=\"rId1\"/>"
        "<sheet name=\"My Sheet\" sheetId=\"2\" r:id=\"rId2\"/></sheets><definedNames>"
        "<definedName name=\"氏名\">回答票!$B$1</definedName>"
        "<definedName name=\"ふりがな付き\">回答票!$B$2</definedName>"
        "<definedName name=\"提出日\">回答票!$C$1</definedName>"
        "<definedName name=\"郵便番号\">回答票!$D$1</definedName>"
        "<definedName name=\"改行\">回答票!$E$1</definedName>"
        "<definedName name=\"真偽\">回答票!$F$1</definedName>"
        "<definedName name=\"誤り\">回答票!$G$1</definedName>"
        "<definedName name=\"式の文字\">回答票!$H$1</definedName>"
        "<definedName name=\"日付型\">回答票!$I$1</definedName>"
        "<definedName name=\"金額\">'My Sheet'!$A$1</definedName>"
        "<definedName name=\"別名\">金額</definedName>"
        "<definedName name=\"範囲\">(回答票!$B$1:$C$2,回答票!$D$1)</definedName>"
        "<definedName name=\"列全体\">回答票!$B$1:$B$1048576</definedName>"
        "<definedName name=\"立体\">回答票:'My Sheet'!$A$1</definedName>"
        "<definedName name=\"局所\" localSheetId=\"1\">'My Sheet'!$A$2</definedName>"
        "<definedName name=\"壊れ\">回答票!#REF!</definedName>"
        "<definedName name=\"外部\">[1]Sheet1!$A$1</definedName>"
        "<definedName name=\"定数\">12.5</definedName>"
        "<definedName name=\"格子外\">回答票!$A$70000</definedName>"
        "<definedName name=\"表の列\">Table1[[#Data],[額 '[円']]]</definedName>"
        "<definedName name=\"表全体\">表1[#All]</definedName>"
        "<definedName name=\"表の見出し\">Table1[#Headers]</definedName>"
        "</definedNames>";
    p.parts = {
        {"xl/sharedStrings.xml",
         std::string("<sst xmlns=\"") + kMain +
             "\"><si><t>山田 太郎</t></si><si><r><t>鈴木</t></r><r><rPr/><t "
             "xml:space=\"preserve\"> 花子</t></r><rPh sb=\"0\" eb=\"2\"><t>スズキ</t></rPh></si>"
             "<si><t>一行目_x000D__x000A_二行目</t></si></sst>"},
        {"xl/styles.xml", std::string("<styleSheet xmlns=\"") + kMain +
                              "\"><numFmts><numFmt numFmtId=\"164\" formatCode=\"yyyy/m/d\"/>"
                              "</numFmts><cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"164\"/>"
                              "<xf numFmtId=\"49\"/></cellXfs></styleSheet>"},
        {"xl/worksheets/sheet1.xml",
         sheetPart("<row r=\"1\"><c r=\"B1\" t=\"s\"><v>0</v></c><c r=\"C1\" s=\"1\"><v>0</v></c>"
                   "<c r=\"D1\" t=\"inlineStr\" s=\"2\"><is><t>0010012</t></is></c>"
                   "<c r=\"E1\" t=\"s\"><v>2</v></c><c t=\"b\"><v>1</v></c>"
                   "<c t=\"e\"><v>#DIV/0!</v></c><c t=\"str\"><f>A1</f><v>計算</v></c>"
                   "<c t=\"d\" s=\"1\"><v>2024-09-20T00:00:00</v></c></row>"
                   "<row r=\"2\"><c r=\"B2\" t=\"s\"><v>1</v></c></row>")},
        // A table of two columns over A1:B2 of My Sheet, with a header row.
        {"xl/worksheets/_rels/sheet2.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
             relationship("t1", "table", "../tables/table1.xml") + "</Relationships>"},
        {"xl/tables/table1.xml",
         std::string("<table xmlns=\"") + kMain +
             "\" name=\"表1\" displayName=\"Table1\" ref=\"A1:B3\"><tableColumns count=\"2\">"
             "<tableColumn id=\"1\" name=\"番号\"/><tableColumn id=\"2\" name=\"額 [円]\"/>"
             "</tableColumns></table>"},
        {"xl/worksheets/sheet2.xml", sheetPart("<row r=\"1\"><c r=\"A1\"><v>1234.5</v></c></row>"
                                               "<row r=\"2\"><c r=\"A2\"><v>-7</v></c></row>")},
    };
    auto book = open(p.zip());
    EXPECT_EQ(app->activeSheet()->name(), "My Sheet");
    const std::pair<const char*, const char*> cases[] = {
        {"氏名", "回答票!R1C2x1,1=山田 太郎"},
        // The reading guide of Japanese text is no part of the text.
        {"ふりがな付き", "回答票!R2C2x1,1=鈴木 花子"},
        // A serial of the 1904 system: 0 is 1904-01-01.
        {"提出日", "回答票!R1C3x1,1=1904/01/01"},
        // Text that looks like a number stays text, leading zeros and all.
        {"郵便番号", "回答票!R1C4x1,1=0010012"},
        {"改行", "回答票!R1C5x1,1=一行目\r\n二行目"},
        {"真偽", "回答票!R1C6x1,1=True"},
        {"誤り", "回答票!R1C7x1,1=#2007"},
        {"式の文字", "回答票!R1C8x1,1=計算"},
        // A date written as text is the same day in the 1904 system.
        {"日付型", "回答票!R1C9x1,1=2024/09/20"},
        {"金額", "My Sheet!R1C1x1,1=1234.5"},
        {"別名", "My Sheet!R1C1x1,1=1234.5"},
        {"列全体", "回答票!R1C2x65536,1"},
        {"立体", "(no range)"},
        {"局所", "(no name)"},
        {"'My Sheet'!局所", "My Sheet!R2C1x1,1=-7"},
        {"壊れ", "(no range)"},
        {"外部", "(no range)"},
        {"定数", "(no range)"},
        {"格子外", "(no range)"},
        {"表の列", "My Sheet!R2C2x2,1"},
        {"表全体", "(no range)"},
        {"表の見出し", "My Sheet!R1C1x1,2"},
    };
    for (const auto& [name, want] : cases) EXPECT_EQ(valueOf(*book, name), want) << name;
    // A union's value and place are those of its first area.
    EXPECT_EQ(valueOf(*book, "範囲"), "回答票!R1C2x2,2");
}
}  // namespace

namespace {

// One sheet named S over the rows given, with nothing else.
Package oneSheet(const std::string& sheetXml) {
    Package p;
    p.workbookBody =
        "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets>"
        "<definedNames><definedName name=\"top\">S!$A$1</definedName>"
        "<definedName name=\"far\">S!$A$5</definedName></definedNames>";
    p.parts = {{"xl/worksheets/sheet1.xml", sheetXml}};
    return p;
}

TEST_F(ZipBasedWorkbook, PropertiesAreTypedAsInTheBinaryFormat) {
    Package p = oneSheet(sheetPart(""));
    p.parts.push_back(
        {"docProps/core.xml",
         "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/"
         "core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
         "xmlns:dcterms=\"http://purl.org/dc/terms/\"><dc:title>職場環境アンケート</dc:title>"
         "<dc:creator>井上 陽子</dc:creator><dc:subject></dc:subject>"
         "<dcterms:created>2024-09-20T15:30:00Z</dcterms:created>"
         "<dcterms:modified>2024-09-21T01:00:00+09:00</dcterms:modified>"
         "<cp:lastPrinted>never</cp:lastPrinted></cp:coreProperties>"});
    p.parts.push_back({"docProps/app.xml",
                       "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                       "extended-properties\"><Company>総務部</Company><TotalTime>42</TotalTime>"
                       "<DocSecurity>x</DocSecurity></Properties>"});
    auto book = open(p.zip());
    auto text = [&](int i) -> std::string {
        auto v = book->builtinDocumentProperty(i)->valueIfSet();
        return v ? v->toText() : "(not set)";
    };
    EXPECT_EQ(text(1), "職場環境アンケート");
    EXPECT_EQ(text(2), "(not set)");
    EXPECT_EQ(text(3), "井上 陽子");
    // Shown in local time (the tests run in Tokyo's).
    EXPECT_EQ(text(11), "2024/09/21 0:30:00");
    EXPECT_EQ(text(12), "2024/09/21 1:00:00");
    EXPECT_EQ(text(10), "(not set)");
    EXPECT_EQ(text(13), "42");
    EXPECT_EQ(text(17), "(not set)");
    EXPECT_EQ(text(21), "総務部");
    const std::string top = valueOf(*book, "top");

    // Read when first asked for, a damaged part costs its own properties
    // and nothing else, asked for once or again.
    p.parts.back().second = "<Properties><Company>総務部";
    book = open(p.zip());
    EXPECT_EQ(text(1), "職場環境アンケート");
    EXPECT_EQ(text(21), "(not set)");
    EXPECT_EQ(text(13), "(not set)");
    EXPECT_EQ(valueOf(*book, "top"), top);
}

TEST_F(ZipBasedWorkbook, ASheetIsReadOnlyAsFarAsTheCellsAskedFor) {
    // Damage after the first rows costs the names before it nothing.
    auto book = open(oneSheet(std::string("<worksheet xmlns=\"") + kMain +
                              "\"><sheetData><row r=\"1\"><c r=\"A1\"><v>1</v></c></row>"
                              "<row r=\"3\"><c r=\"A3\"><v>3</v></c></row><row r=\"4\"><c>")
                         .zip());
    EXPECT_EQ(valueOf(*book, "top"), "S!R1C1x1,1=1");
    try {
        valueOf(*book, "far");
        ADD_FAILURE() << "the damaged row was read";
    } catch (const AutomationError& e) {
        EXPECT_THAT(e.what(), HasSubstr("part xl/worksheets/sheet1.xml"));
    }
}

TEST_F(ZipBasedWorkbook, WhatCouldCostTooMuchIsRefusedWithItsReason) {
    const std::string doctype =
        "<?xml version=\"1.0\"?><!DOCTYPE w [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b "
        "\"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>";
    std::string deep;
    for (int i = 0; i < 1000; ++i) deep += "<x>";
    for (int i = 0; i < 1000; ++i) deep += "</x>";

    struct Case {
        std::string what;
        std::vector<std::uint8_t> zip;
        OpenFailure cause;
        std::string reason;
    };
    std::vector<Case> cases;
    {
        Package p = oneSheet(sheetPart(""));
        p.workbookBody = "<sheets/>" + p.workbookBody.substr(p.workbookBody.find("<definedNames"));
        cases.push_back({"no sheets", p.zip(), OpenFailure::Damaged, "lists no sheets"});
    }
    {
        Package p = oneSheet(sheetPart(""));
        p.parts.push_back({"xl/styles.xml", doctype + "<styleSheet>&b;</styleSheet>"});
        cases.push_back({"entities", p.zip(), OpenFailure::Damaged, "document type declaration"});
    }
    {
        Package p = oneSheet(sheetPart(""));
        p.parts.push_back({"xl/styles.xml", "<styleSheet>" + deep + "</styleSheet>"});
        cases.push_back({"nesting", p.zip(), OpenFailure::Damaged, "deeper than"});
    }
    {
        // Claims 100 GiB: refused before a byte is inflated.
        Package p = oneSheet(sheetPart(""));
        p.parts.push_back({"xl/styles.xml", "<styleSheet/>"});
        p.tamper = [](std::vector<BuiltEntry>& entries) {
            entries.back().uncompressedSize = 100ull << 30;
            entries.back().zip64 = true;
        };
        cases.push_back({"bomb", p.zip(), OpenFailure::UnsupportedFormat, "is refused"});
    }
    for (const auto& c : cases) {
        try {
            open(c.zip);
            ADD_FAILURE() << c.what << ": opened";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.openFailure(), c.cause) << c.what;
            EXPECT_EQ(e.foundContent(), automation::FileContent::ZipWorkbook) << c.what;
#ifdef _WIN32
            // Wine's XML reader, which the Windows build is tested under,
            // words some faults its own way: the part is named all the same.
            if (c.what == "entities" || c.what == "nesting") {
                EXPECT_THAT(e.what(), HasSubstr("part xl/styles.xml")) << c.what;
                continue;
            }
#endif
            EXPECT_THAT(e.what(), HasSubstr(c.reason)) << c.what;
        }
    }
}

}  // namespace
