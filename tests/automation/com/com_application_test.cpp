#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "automation/com/application_with_fallback.h"
#include "automation/com/com_application.h"
#include "list_file/list_file_readers.h"
#include "list_file/list_workbook_builder.h"
#include "list_file/property_names.h"
#include "run/workbook_row_reader.h"
#include "stand_in_registration.h"
#include "support/impostor_files.h"
#include "support/recording_view.h"
#include "support/row_texts.h"
#include "support/temp_folder.h"

namespace mokuji::com {
namespace {

using automation::AutomationError;

// One folder per test with the description the stand-in serves and the log
// of the calls it received.
struct StandIn {
    fake::TempFolder folder;
    std::string log = folder.file("calls.log");

    // `books` are description lines after the log line.
    std::string describe(const std::string& books) {
        return folder.write("stand-in.txt", "log\t" + log + "\n" + books);
    }
    std::vector<std::string> calls() { return stand_in::LogLines(log); }
    bool called(const std::string& line) {
        auto c = calls();
        return std::find(c.begin(), c.end(), line) != c.end();
    }
};

// The calls between two marks of the log, both excluded.
std::vector<std::string> between(const std::vector<std::string>& lines, const std::string& from,
                                 const std::string& to) {
    auto a = std::find(lines.begin(), lines.end(), from);
    if (a == lines.end()) return {};
    auto b = std::find(a + 1, lines.end(), to);
    return {a + 1, b};
}

// The engine reads zip-based workbooks itself; one whose parts it finds
// damaged (these checksums are wrong) is left to the application, started
// only for this file with the settings the run had made, which repairs what
// it can.
TEST(ComApplication, ReadsARowTheEngineCannotAndTheListColumnsWithTheCallsTheReadersMake) {
    StandIn s;
    const std::string book = s.folder.write("見積.xls", fake::xlsxBytes());
    const std::string description = s.describe("book\t" + book +
                                               "\n"
                                               "name\t担当者\t2\t3\n"
                                               "name\t件名\t2\t2\n"
                                               "name\t日付\t5\t1\n"
                                               "constname\t税率\n"
                                               "name\tSheet1!印刷範囲\t1\t1\n"
                                               "cell\t2\t3\ts:鈴木\n"
                                               "cell\t7\t4\ts:予備の値\n"
                                               "prop\t3\t4\ts:山田\n"
                                               "prop\t11\t3\td:38425.75\n");
    stand_in::Registration registration(description);

    list_file::PropertyNameTable prop_name;
    list_file::FillPropertyNames(prop_name);
    list_file::ColumnTable columns;
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[2] = "担当者";
    columns.g_item_name[3] = "P_作成者";
    columns.g_item_name[4] = "P_作成日時";
    columns.g_item_name[5] = "P_印刷日時";
    columns.g_item_name[6] = "備考";  // not a name there: the cell at row 7, column 4
    columns.g_item_row[6] = 7;
    columns.g_item_col[6] = 4;
    ASSERT_EQ(list_file::PropertyIndexOf(prop_name, "P_作成者"), 3);
    ASSERT_EQ(list_file::PropertyIndexOf(prop_name, "P_作成日時"), 11);
    const std::string printed = std::to_string(list_file::PropertyIndexOf(prop_name, "P_印刷日時"));

    list_file::RowStore rows;
    {
        auto xl = CreateApplicationWithFallback();
        auto opened = run::ReadWorkbookRow(*xl, book, "見積.xls", columns, prop_name, rows);
        opened->close(false);
        // Not quit: the instance must end all the same.
    }
    ASSERT_TRUE(stand_in::WaitForEnd(s.log));
    ASSERT_EQ(rows.rows.size(), 1u);
    EXPECT_EQ(fake::textsOf(rows.rows[0]),
              (std::vector<std::string>{"見積.xls", "鈴木", "山田", "2005/03/14", "", "予備の値"}));

    const std::vector<std::string> expected = {
        "Application.EnableEvents PUT =b:false",
        "Application.Workbooks GET",
        // No question about the file may wait in an instance nobody sees:
        // the content does not match the name.
        "Workbooks.Application GET",
        "Application.DisplayAlerts GET",
        "Application.DisplayAlerts PUT =b:false",
        "Workbooks.Open METHOD FileName=s:" + book +
            " UpdateLinks=i2:0 ReadOnly=b:true IgnoreReadOnlyRecommended=b:true",
        "Application.DisplayAlerts PUT =b:true",
        "Application.Range GET s:担当者",
        "Range.Value GET",
        "Workbook.BuiltinDocumentProperties GET",
        "DocumentProperties.Item GET i4:3",
        "DocumentProperty.Type GET",
        "DocumentProperty.Value GET",
        "Workbook.BuiltinDocumentProperties GET",
        "DocumentProperties.Item GET i4:11",
        "DocumentProperty.Type GET",
        "DocumentProperty.Value GET",
        "Workbook.BuiltinDocumentProperties GET",
        "DocumentProperties.Item GET i4:" + printed,
        "DocumentProperty.Type GET",
        "DocumentProperty.Value GET",
        "Application.Range GET s:備考",
        "Workbook.Sheets GET",
        "Sheets.Item GET i4:1",
        "Worksheet.Cells GET",
        "Range.Item GET i4:7 i4:4",
        "Range.Value GET",
        "Workbook.Close METHOD SaveChanges=b:false",
        "Application.Quit METHOD",
    };
    EXPECT_EQ(between(s.calls(), "started", "ended"), expected);

    // The template reader: its own instance, shut down in its own order.
    fake::RecordingView view;
    list_file::ColumnTable table;
    auto failure =
        list_file::ReadTemplateColumns(book, table, {CreateComApplication, view, "mokuji"});
    ASSERT_FALSE(failure.has_value()) << failure->reason;
    ASSERT_TRUE(stand_in::WaitForEnd(s.log));
    const std::vector<std::pair<std::string, std::pair<int, int>>> entries = {
        {"P_ファイル名", {0, 0}}, {"件名", {2, 2}}, {"担当者", {2, 3}}, {"日付", {5, 1}}};
    for (std::size_t j = 0; j < entries.size(); ++j) {
        EXPECT_EQ(table.g_item_name[j + 1], entries[j].first);
        EXPECT_EQ(table.g_item_row[j + 1], entries[j].second.first) << entries[j].first;
        EXPECT_EQ(table.g_item_col[j + 1], entries[j].second.second) << entries[j].first;
    }
    EXPECT_EQ(table.g_item_name[5], "");
    auto calls = s.calls();
    auto second = std::find(calls.begin() + 1, calls.end(), "started");
    ASSERT_NE(second, calls.end());
    const std::vector<std::string> shutDown(calls.end() - 6, calls.end());
    EXPECT_EQ(shutDown,
              (std::vector<std::string>{"Workbook.Close METHOD SaveChanges=b:false",
                                        "Application.Workbooks GET", "Workbooks.Close METHOD",
                                        "Application.DisplayAlerts PUT =b:false",
                                        "Application.Quit METHOD", "ended"}));
}

TEST(ComApplication, WritesAListWithTheNamedArgumentsAndValueTypesTheApplicationTakes) {
    StandIn s;
    const std::string list = s.folder.file("00_目次.xls");
    stand_in::Registration registration(s.describe("book\t" + list + "\nname\tNo.\t7\t2\n"));
    list_file::ColumnTable columns;
    columns.g_item_name[1] = "P_ファイル名";
    columns.g_item_name[2] = "担当者";
    columns.g_item_row[2] = 2;
    columns.g_item_col[2] = 3;
    list_file::RowStore rows;
    rows.rows = {fake::textRow({"a.xls", "鈴木"})};
    fake::RecordingView view;
    const std::string folder = s.folder.file("");
    list_file::ListContext ctx{folder, "mokuji", columns, view,
                               [](const std::string&) { return false; }};
    list_file::ListContext update{folder, "mokuji", columns, view,
                                  [](const std::string&) { return true; }};
    {
        auto xl = CreateComApplication();
        auto result = list_file::BuildListWorkbook(*xl, rows, ctx);
        EXPECT_FALSE(result.saveFailure.has_value()) << result.saveFailure->detail;
        EXPECT_EQ(result.rowsWritten, 1);
        xl->workbooks()->close();
        // The same list again, now that it exists: its header is where its
        // name "No." says.
        result = list_file::BuildListWorkbook(*xl, rows, update);
        EXPECT_FALSE(result.saveFailure.has_value()) << result.saveFailure->detail;
        xl->quit();
    }
    ASSERT_TRUE(stand_in::WaitForEnd(s.log));
    for (const std::string& call : std::vector<std::string>{
             "Workbooks.Add METHOD",
             "Range.ColumnWidth PUT =r8:30",
             "Range.HorizontalAlignment PUT =i2:-4131",
             "Range.VerticalAlignment PUT =i2:-4160",
             "Range.WrapText PUT =b:true",
             "Range.FormulaR1C1 PUT =s:FILE名",
             "Interior.ColorIndex PUT =i2:6",
             "Names.Add METHOD Name=s:No. RefersToR1C1=s:=Sheet1!R3C2",
             "Names.Add METHOD Name=s:担当者 RefersToR1C1=obj:Range(3,4)",
             "Range.FormulaR1C1 PUT =i4:2",
             "Borders.Item GET i2:7",
             "Border.LineStyle PUT =i2:1",
             "Border.ColorIndex PUT =i2:-4105",
             "Application.Rows GET s:4:5",
             "Range.RowHeight PUT =r8:0",
             "Worksheet.Name PUT =s:目次",
             "Sheets.Delete METHOD",
             "Range.Delete METHOD Shift=i2:-4162",
             "Hyperlinks.Add METHOD Anchor=obj:Range(6,3) Address=s:a.xls TextToDisplay=s:a.xls",
             "Workbook.SaveAs METHOD FileName=s:" + list +
                 " Password=s: WriteResPassword=s: ReadOnlyRecommended=b:false "
                 "CreateBackup=b:false",
             "Workbooks.Open METHOD FileName=s:" + list,
             "Name.RefersToRange GET",
             "Range.Worksheet GET",
             "Worksheet.Select METHOD",
             "Application.Rows GET s:10:65536",
             "Hyperlinks.Add METHOD Anchor=obj:Range(10,3) Address=s:a.xls TextToDisplay=s:a.xls",
             "Workbook.Save METHOD",
             "Application.Quit METHOD",
         }) {
        EXPECT_TRUE(s.called(call)) << call;
    }
}

TEST(ComApplication, FailuresOfTheApplicationBecomeAutomationErrorsAndItStillEnds) {
    StandIn s;
    const std::string book = s.folder.write("a.xls", "any bytes");
    stand_in::Registration registration(
        s.describe("book\t" + book + "\nname\t担当者\t2\t3\nfail\tWorkbook.Names\n"));
    const std::string missing = s.folder.file("無い.xls");
    try {
        auto xl = CreateComApplication();
        auto opened = xl->workbooks()->open({book, 0, true, true});
        using automation::OpenFailure;
        namespace errnum = automation::errnum;
        const struct {
            const char* message;
            std::function<void()> call;
            long number;
            OpenFailure cause;
        } cases[] = {
            {"stand-in failure", [&] { opened->names(); }, errnum::kApplicationDefined,
             OpenFailure::None},
            {"not set", [&] { opened->builtinDocumentProperty(10)->value(); },
             errnum::kAutomationFailure, OpenFailure::None},
            // A member the server does not have.
            {"Selection", [&] { xl->selection(); }, errnum::kMemberNotSupported, OpenFailure::None},
            {"cannot be found",
             [&] {
                 xl->workbooks()->open({missing, 0, true, true});
             },
             errnum::kApplicationDefined, OpenFailure::NotFound},
            {"no such name", [&] { xl->range("無い名前"); }, errnum::kApplicationDefined,
             OpenFailure::None},
        };
        for (const auto& c : cases) {
            try {
                c.call();
                ADD_FAILURE() << c.message << ": no error";
            } catch (const AutomationError& e) {
                EXPECT_EQ(e.number(), c.number) << e.what();
                EXPECT_EQ(e.openFailure(), c.cause) << e.what();
                EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
            }
        }
        // The caller gives up midway, holding the workbook and the instance.
        throw std::runtime_error("caller failed");
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "caller failed");
    }
    ASSERT_TRUE(stand_in::WaitForEnd(s.log));
    auto calls = s.calls();
    EXPECT_EQ(calls[calls.size() - 2], "Application.Quit METHOD");
}

TEST(ComApplication, AServerThatDisappearsGivesAnErrorNotAHang) {
    StandIn s;
    const std::string book = s.folder.file("a.xls");
    stand_in::Registration registration(
        s.describe("book\t" + book + "\nname\t担当者\t2\t3\nvanish\tRange.Value\n"));
    const auto started = std::chrono::steady_clock::now();
    {
        auto xl = CreateComApplication();
        xl->workbooks()->open({book, 0, true, true});
        auto cell = xl->range("担当者");
        try {
            cell->value();
            ADD_FAILURE() << "a value came from a server that ended";
        } catch (const AutomationError& e) {
            // An RPC failure, as the runtime reports it: a negative HRESULT.
            EXPECT_LT(e.number(), 0) << e.what();
        }
        EXPECT_THROW(xl->workbooks(), AutomationError);
        EXPECT_THROW(xl->quit(), AutomationError);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30));
    EXPECT_EQ(s.calls().back(), "vanished");
}

TEST(ComApplication, WithoutTheApplicationNothingStartsAndCreationFailsWith429) {
    EXPECT_FALSE(ComApplicationInstalled());
    try {
        CreateComApplication();
        ADD_FAILURE() << "created";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), automation::errnum::kCannotCreateObject);
    }
    StandIn s;
    stand_in::Registration registration(s.describe(""));
    EXPECT_TRUE(ComApplicationInstalled());
    EXPECT_TRUE(s.calls().empty());
}

}  // namespace
}  // namespace mokuji::com
