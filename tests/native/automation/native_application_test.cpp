#include "automation/native/native_application.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>

#include "support/temp_folder.h"
#include "support/unprivileged_user.h"
#include "support/unreadable_file.h"

namespace xls::native {
namespace {

using automation::AutomationError;
using automation::OpenFailure;
using automation::Variant;
using fake::testData;

class NamesAndValues : public ::testing::Test {
  protected:
    void SetUp() override {
        automation::OpenArguments args;
        args.fileName = testData("fixtures/names_and_values.xls");
        args.readOnly = true;
        book = app->workbooks()->open(args);
    }
    std::string text(const std::string& name) { return app->range(name)->value().toText(); }

    std::unique_ptr<automation::Application> app = createApplication();
    std::shared_ptr<automation::Workbook> book;
};

TEST_F(NamesAndValues, CellValuesComeWithTheTypeTheirFormatGives) {
    EXPECT_EQ(app->range("日付")->value(), Variant(automation::Date{38425}));
    EXPECT_EQ(app->range("金額")->value(), Variant(automation::Currency{12345000}));
    EXPECT_EQ(app->range("数値")->value(), Variant(3.14));
    EXPECT_EQ(app->range("割合")->value(), Variant(0.5));
    EXPECT_EQ(app->range("真偽")->value(), Variant(true));
    EXPECT_EQ(app->range("エラー")->value(), Variant(automation::ErrorValue{2007}));
    EXPECT_TRUE(app->range("空欄")->value().isEmpty());
}

TEST_F(NamesAndValues, ValuesBecomeTextAsTheJapaneseLocaleShowsThem) {
    EXPECT_EQ(text("日付"), "2005/03/14");
    EXPECT_EQ(text("日時"), "2005/03/14 9:05:00");
    EXPECT_EQ(text("時刻"), "9:05:00");
    EXPECT_EQ(text("大きい数"), "1E+20");
    EXPECT_EQ(text("小さい数"), "1.5E-07");
    EXPECT_EQ(text("金額"), "1234.5");
    EXPECT_EQ(text("式の文字列"), "abcdef");
    EXPECT_EQ(text("別シート"), "別シートの値");
    EXPECT_THROW(text("エラー"), AutomationError);
    EXPECT_THROW(text("範囲"), AutomationError);  // several cells give an array
}

TEST_F(NamesAndValues, RangeTextResolvesLikeTheApplication) {
    // The first sheet is active: its local name hides the workbook-level one,
    // while another sheet's local names are reached only through its name.
    EXPECT_EQ(text("担当者"), "表紙の担当");
    EXPECT_EQ(text("表紙!担当者"), "表紙の担当");
    EXPECT_EQ(text("'データ 2'!担当者"), "佐藤");
    EXPECT_EQ(text("'データ 2'!ローカル"), "別シートの値");
    EXPECT_THROW(text("ローカル"), AutomationError);
    EXPECT_EQ(text("total"), "100");  // names ignore letter case
    // Cell references, on the active sheet unless a sheet is named.
    EXPECT_EQ(text("C3"), "鈴木");
    EXPECT_EQ(text("'データ 2'!B3"), "佐藤");
    EXPECT_EQ(text("表紙!$C$3"), "鈴木");
    EXPECT_EQ(app->range("表紙!C3:D5")->rowCount(), 3);
    // Names that are no range, and names that do not exist.
    for (const char* bad : {"定数", "壊れた", "無い名前", "表紙!ローカル", "無いシート!A1", ""})
        EXPECT_THROW(app->range(bad), AutomationError) << bad;
}

TEST_F(NamesAndValues, NamesCollectionListsEveryNameWithItsRange) {
    auto names = book->names();
    ASSERT_EQ(names->count(), 21);
    std::map<std::string, std::shared_ptr<automation::Name>> byText;
    for (int i = 1; i <= names->count(); ++i) byText[names->item(i)->name()] = names->item(i);
    ASSERT_TRUE(byText.count("'データ 2'!担当者"));
    ASSERT_TRUE(byText.count("担当者"));
    auto local = byText["'データ 2'!担当者"]->refersToRange();
    EXPECT_EQ(local->row(), 3);
    EXPECT_EQ(local->column(), 2);
    EXPECT_EQ(local->worksheet()->name(), "データ 2");
    auto global = byText["担当者"]->refersToRange();
    EXPECT_EQ(global->row(), 3);
    EXPECT_EQ(global->column(), 3);
    EXPECT_EQ(global->value().toText(), "鈴木");
    auto block = byText["範囲"]->refersToRange();
    EXPECT_EQ(block->rowCount(), 3);
    EXPECT_EQ(block->columnCount(), 1);
    EXPECT_THROW(byText["定数"]->refersToRange(), AutomationError);
    EXPECT_EQ(byText["定数"]->refersTo(), "=42");
    EXPECT_THROW(names->item(0), AutomationError);
    EXPECT_THROW(names->item(22), AutomationError);
}

TEST_F(NamesAndValues, CellsByPositionOnSheetsByIndex) {
    auto sheets = book->sheets();
    ASSERT_EQ(sheets->count(), 2);
    auto first = sheets->item(1);
    EXPECT_EQ(first->name(), "表紙");
    EXPECT_EQ(first->cells(3, 3)->value().toText(), "鈴木");
    EXPECT_EQ(first->cells(20, 2)->value().toText(), "控え");
    EXPECT_TRUE(first->cells(65536, 256)->value().isEmpty());
    EXPECT_THROW(first->cells(0, 1), AutomationError);
    EXPECT_THROW(first->cells(65537, 1), AutomationError);
    EXPECT_THROW(first->cells(1, 257), AutomationError);
    EXPECT_THROW(sheets->item(3), AutomationError);
    EXPECT_EQ(sheets->item("データ 2")->cells(3, 2)->value().toText(), "佐藤");
}

TEST_F(NamesAndValues, DocumentPropertiesHaveFixedTypesAndFailWhenUnset) {
    auto title = book->builtinDocumentProperty(1);
    EXPECT_EQ(title->type(), automation::property_type::kString);
    EXPECT_EQ(title->value().toText(), "名前と値");
    auto created = book->builtinDocumentProperty(11);
    EXPECT_EQ(created->type(), automation::property_type::kDate);
    ASSERT_EQ(created->value().type(), Variant::Type::Date);
    auto printed = book->builtinDocumentProperty(10);
    EXPECT_EQ(printed->type(), automation::property_type::kDate);
    EXPECT_THROW(printed->value(), AutomationError);
    EXPECT_EQ(book->builtinDocumentProperty(14)->type(), automation::property_type::kNumber);
    EXPECT_THROW(book->builtinDocumentProperty(0), AutomationError);
    EXPECT_THROW(book->builtinDocumentProperty(31), AutomationError);
}

TEST(NativeWorkbooks, OpenedWorkbookIsActiveUntilClosed) {
    auto app = createApplication();
    auto books = app->workbooks();
    EXPECT_THROW(app->range("A1"), AutomationError);
    automation::OpenArguments args;
    args.fileName = testData("fixtures/names_and_values.xls");
    auto first = books->open(args);
    args.fileName = testData("fixtures/date1904.xls");
    auto second = books->open(args);
    EXPECT_EQ(books->count(), 2);
    EXPECT_EQ(app->activeWorkbook(), second);
    // 1904 system: the same day as in the other workbook, from another serial.
    EXPECT_EQ(app->range("日付")->value().toText(), "2005/03/14");
    second->close(false);
    EXPECT_THROW(second->close(false), AutomationError);
    EXPECT_EQ(books->count(), 1);
    EXPECT_EQ(app->range("表紙!C3")->value().toText(), "鈴木");
    EXPECT_EQ(books->item(1)->name(), "names_and_values.xls");
    books->close();
    EXPECT_EQ(books->count(), 0);
    // Handles taken before the close still read.
    EXPECT_EQ(first->sheets()->item(1)->cells(3, 3)->value().toText(), "鈴木");
}

OpenFailure failureOf(const std::string& path) {
    auto app = createApplication();
    automation::OpenArguments args;
    args.fileName = path;
    try {
        app->workbooks()->open(args);
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.number(), automation::errnum::kApplicationDefined);
        EXPECT_NE(std::string(e.what()).find(path), std::string::npos) << e.what();
        return e.openFailure();
    }
    return OpenFailure::None;
}

TEST(NativeOpenFailures, EachBadFileGetsItsReason) {
    fake::TempFolder dir;
    EXPECT_EQ(failureOf(dir.file("無い.xls")), OpenFailure::NotFound);
    EXPECT_EQ(failureOf(dir.write("empty.xls", "")), OpenFailure::NotAWorkbook);
    EXPECT_EQ(failureOf(dir.write("text.xls", "a,b,c\n1,2,3\n")), OpenFailure::NotAWorkbook);
    std::filesystem::create_directory(dir.file("old.xls"));
    EXPECT_EQ(failureOf(dir.file("old.xls")), OpenFailure::NotAWorkbook);
    // Larger than any workbook, and no workbook at all: told by its first
    // bytes, not refused for its size after reading it.
    {
        std::string big = dir.write("big.xls", "名前,値\n");     // then zeros
        std::filesystem::resize_file(big, (1ull << 30) + 4096);  // sparse
        try {
            createApplication()->workbooks()->open({big, {}, true, {}});
            ADD_FAILURE() << "opened";
        } catch (const automation::AutomationError& e) {
            EXPECT_EQ(e.openFailure(), OpenFailure::NotAWorkbook) << e.what();
        }
    }
    // A compound file cut off after its header.
    std::ifstream in(testData("fixtures/names_and_values.xls"), std::ios::binary);
    std::string head(700, '\0');
    in.read(head.data(), 700);
    EXPECT_EQ(failureOf(dir.write("truncated.xls", head)), OpenFailure::Damaged);

    const std::pair<const char*, OpenFailure> corpus[] = {
        // A zip-based workbook under an .xls name is edited as what it is.
        {"corpus/roo-rb__roo-xls/type_excelx.xls", OpenFailure::None},
        {"corpus/ExcelDataReader__ExcelDataReader/TestFail_Binary.xls", OpenFailure::NotAWorkbook},
        {"corpus/tafia__calamine/too_small.xls", OpenFailure::NotAWorkbook},
        {"corpus/PHPOffice__PhpSpreadsheet/pwtest2.xls", OpenFailure::Encrypted},
        {"corpus/SheetJS__test_files/root__password_2002_40_xor.xls", OpenFailure::Encrypted},
        {"corpus/nissl-lab__npoi/97_rc4cryptoapi_password.xls", OpenFailure::Encrypted},
        {"corpus/SheetJS__test_files/biff5__defined_names_simple.xls",
         OpenFailure::UnsupportedFormat},
        {"corpus/python-excel__xlrd/biff4_no_format_no_window2.xls", OpenFailure::NotAWorkbook},
        {"corpus/apache__poi/61300.xls", OpenFailure::Damaged},
        {"corpus/libxls__libxls/xls2csv_ole_ole2_fread_327.xls", OpenFailure::Damaged},
    };
    for (const auto& [file, cause] : corpus) EXPECT_EQ(failureOf(testData(file)), cause) << file;
}

TEST(NativeEncryption, DefaultPasswordWorkbooksOpenLikeAnyOther) {
    // Protected structure or windows: enciphered with the application's
    // default password, RC4 and RC4 CryptoAPI.
    for (const char* file : {"corpus/ExcelDataReader__ExcelDataReader/protectedsheet-xxx.xls",
                             "corpus/PHPOffice__PhpSpreadsheet/pwtest3.xls"}) {
        auto app = createApplication();
        automation::OpenArguments args;
        args.fileName = testData(file);
        auto book = app->workbooks()->open(args);
        EXPECT_EQ(book->sheets()->item(1)->cells(1, 1)->value().toText(), "x") << file;
        EXPECT_EQ(app->range("A1")->value().toText(), "x") << file;
    }
}

TEST(NativeOpenFailures, UnreadableFileIsAccessDenied) {
    fake::TempFolder dir;
    std::string path = dir.copy(testData("fixtures/date1904.xls"), "locked.xls");
    fake::ActingUnprivileged user(dir.path());
    fake::UnreadableFile locked(fake::utf8Path(path));
    ASSERT_TRUE(locked.held());
    EXPECT_EQ(failureOf(path), OpenFailure::AccessDenied);
}

}  // namespace
}  // namespace xls::native
