#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "automation/native/native_application.h"
#include "native/biff/biff5_workbook.h"
#include "native/cfb/compound_file_writer.h"
#include "support/temp_folder.h"

namespace xls::native {
namespace {

using automation::AutomationError;
using automation::OpenFailure;
using ::testing::HasSubstr;

// A compound file holding the stream under the name given: Excel 5.0/95
// wrote "Book"; some later writers put BIFF5 records in "Workbook".
std::string writeBook(const fake::TempFolder& dir, const std::string& file,
                      const std::string& streamName, const biff::testing::Biff5Texts& texts) {
    cfb::CompoundFileWriter w;
    w.addStream(streamName, biff::testing::biff5WorkbookStream(texts));
    const auto bytes = w.finish();
    return dir.write(file, std::string(bytes.begin(), bytes.end()));
}

std::shared_ptr<automation::Workbook> openReadOnly(automation::Application& app,
                                                   const std::string& path) {
    automation::OpenArguments args;
    args.fileName = path;
    args.readOnly = true;
    return app.workbooks()->open(args);
}

TEST(NativeBiff5, JapaneseWorkbookReadsLikeABiff8One) {
    fake::TempFolder dir;
    for (const char* stream : {"Book", "Workbook"}) {
        auto app = createApplication();
        auto book = openReadOnly(*app, writeBook(dir, std::string(stream) + ".xls", stream,
                                                 biff::testing::japaneseTexts()));
        auto sheets = book->sheets();
        ASSERT_EQ(sheets->count(), 2) << stream;
        EXPECT_EQ(sheets->item(1)->name(), "表紙");
        EXPECT_EQ(sheets->item(2)->name(), "明細");
        EXPECT_EQ(app->range("件名")->value().toText(), "点検報告");
        // The sheet-level name, on a cell under a byte-string date format.
        EXPECT_EQ(app->range("明細!日付")->value().toText(), "2024/03/15");
        EXPECT_EQ(sheets->item(1)->cells(3, 2)->value().toText(), "鈴木");
        auto names = book->names();
        ASSERT_EQ(names->count(), 3);
        EXPECT_EQ(names->item(1)->refersTo(), "=表紙!$B$2");
        EXPECT_EQ(names->item(2)->name(), "明細!日付");
        auto area = names->item(3)->refersToRange();
        EXPECT_EQ(area->rowCount(), 2);
        EXPECT_EQ(area->columnCount(), 2);
    }
}

TEST(NativeBiff5, WesternWorkbookKeepsItsAccents) {
    fake::TempFolder dir;
    auto app = createApplication();
    auto book = openReadOnly(*app, writeBook(dir, "w.xls", "Book", biff::testing::westernTexts()));
    EXPECT_EQ(book->sheets()->item(1)->name(), "Übersicht");
    EXPECT_EQ(app->range("Titel")->value().toText(), "Café crème");
    EXPECT_EQ(app->range("Übersicht!B3")->value().toText(), "Prüfer");
}

// The engine writes BIFF8 only: a BIFF5 workbook is never opened for
// editing, and one with a password of its own stays closed.
TEST(NativeBiff5, EditingAndPasswordsAreRefusedWithTheirReason) {
    fake::TempFolder dir;
    const std::string path = writeBook(dir, "edit.xls", "Book", biff::testing::japaneseTexts());
    const std::pair<std::string, OpenFailure> cases[] = {
        {path, OpenFailure::UnsupportedFormat},
        {fake::testData("corpus/SheetJS__test_files/biff5__password_2002_40_xor.xls"),
         OpenFailure::Encrypted},
        {fake::testData("corpus/ExcelDataReader__ExcelDataReader/"
                        "Test_git_issue_242_xor_pwd_password.xls"),
         OpenFailure::Encrypted},
    };
    for (const auto& [file, cause] : cases) {
        auto app = createApplication();
        automation::OpenArguments args;
        args.fileName = file;
        args.readOnly = cause == OpenFailure::Encrypted;
        try {
            app->workbooks()->open(args);
            ADD_FAILURE() << file << " opened";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.openFailure(), cause) << e.what();
            EXPECT_THAT(e.what(),
                        HasSubstr(cause == OpenFailure::Encrypted ? "password" : "BIFF5/BIFF7"));
        }
    }
}

}  // namespace
}  // namespace xls::native
