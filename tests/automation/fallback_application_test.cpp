#include "automation/fallback_application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "list_file/property_names.h"
#include "run/workbook_row_reader.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "support/watched_application.h"

namespace automation {
namespace {

using fake::Watch;

// Two engines over real workbooks: the primary refuses some files, the
// secondary opens them; the secondary's starts are counted, failed ones
// included.
struct TwoApplications {
    fake::TempFolder dir;
    Watch primary;
    Watch secondary;
    int secondaryStarts = 0;

    std::string book(const std::string& name, const char* person) {
        fake::makeSource(dir.file(name), {{"担当者", 2, 2, Variant(person)}});
        return dir.file(name);
    }
    std::unique_ptr<Application> make() {
        auto startSecondary = [this]() {
            ++secondaryStarts;
            return fake::factoryFor(secondary)();
        };
        return MakeFallbackApplication(fake::factoryFor(primary)(), startSecondary);
    }
};

std::string rowOf(Application& app, const std::string& path) {
    mokuji::list_file::ColumnTable table;
    table.g_item_name[1] = "担当者";
    mokuji::list_file::PropertyNameTable prop_name;
    mokuji::list_file::FillPropertyNames(prop_name);
    mokuji::list_file::RowStore rows;
    auto book = mokuji::run::ReadWorkbookRow(app, path, "answer.xls", table, prop_name, rows);
    book->close(false);
    return rows.rows.empty() ? "(no row)" : rows.rows[0].values.at(0).toText();
}

OpenArguments only(const std::string& path) {
    OpenArguments a;
    a.fileName = path;
    return a;
}

TEST(FallbackApplication, AWorkbookOnlyTheSecondaryOpensIsReadThereWithTheSameSettings) {
    TwoApplications t;
    const std::string a = t.book("a.xls", "鈴木");
    const std::string x = t.book("x.xls", "佐藤");
    const std::string z = t.book("z.xls", "高橋");
    t.primary.refuse(x, OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.primary.refuse(z, OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    {
        auto app = t.make();
        app->setDisplayAlerts(false);

        EXPECT_EQ(rowOf(*app, x), "佐藤");
        // Started only now, given what the caller had set before.
        ASSERT_EQ(t.secondaryStarts, 1);
        ASSERT_GE(t.secondary.log.size(), 3u);
        EXPECT_EQ(
            (std::vector<std::string>(t.secondary.log.begin(), t.secondary.log.begin() + 3)),
            (std::vector<std::string>{
                "EnableEvents=false", "DisplayAlerts=false",
                "Open(" + x + ",UpdateLinks=0,ReadOnly=true,IgnoreReadOnlyRecommended=true)"}));
        EXPECT_TRUE(t.secondary.logged("Range(担当者)"));

        // Back on the primary: the name is looked up where the workbook is.
        EXPECT_EQ(rowOf(*app, a), "鈴木");
        EXPECT_EQ(std::count(t.primary.log.begin(), t.primary.log.end(), "Range(担当者)"), 1);

        EXPECT_EQ(rowOf(*app, z), "高橋");
        EXPECT_EQ(t.secondaryStarts, 1);

        app->quit();
        EXPECT_EQ(t.primary.log.back(), "Quit");
        EXPECT_EQ(t.secondary.log.back(), "Quit");
    }
    EXPECT_EQ(t.primary.alive, 0);
    EXPECT_EQ(t.secondary.alive, 0);
}

TEST(FallbackApplication, OnlyFormatsTheSecondaryCanOpenAreRetried) {
    const struct {
        OpenFailure cause;
        FileContent content;
        bool retried;
    } cases[] = {
        {OpenFailure::NotAWorkbook, FileContent::ZipWorkbook, true},
        {OpenFailure::NotAWorkbook, FileContent::OpenDocumentSheet, true},
        {OpenFailure::NotAWorkbook, FileContent::XmlSpreadsheet, true},
        {OpenFailure::NotAWorkbook, FileContent::Html, true},
        {OpenFailure::NotAWorkbook, FileContent::WebArchive, true},
        {OpenFailure::NotAWorkbook, FileContent::EarlyWorkbook, true},
        {OpenFailure::UnsupportedFormat, FileContent::Unknown, true},
        {OpenFailure::Damaged, FileContent::ZipWorkbook, true},
        {OpenFailure::Damaged, FileContent::Unknown, false},
        {OpenFailure::Encrypted, FileContent::Unknown, false},
        {OpenFailure::NotFound, FileContent::Unknown, false},
        {OpenFailure::AccessDenied, FileContent::Unknown, false},
        {OpenFailure::Other, FileContent::Unknown, false},
        {OpenFailure::NotAWorkbook, FileContent::Empty, false},
        {OpenFailure::NotAWorkbook, FileContent::Pdf, false},
        {OpenFailure::NotAWorkbook, FileContent::Picture, false},
        {OpenFailure::NotAWorkbook, FileContent::Unknown, false},
        {OpenFailure::NotAWorkbook, FileContent::Folder, false},
        {OpenFailure::NotAWorkbook, FileContent::OtherZipDocument, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.cause) * 100 + static_cast<int>(c.content));
        TwoApplications t;
        const std::string x = t.book("x.xls", "佐藤");
        t.primary.refuse(x, c.cause, c.content);
        auto app = t.make();
        if (c.retried) {
            EXPECT_NO_THROW(app->workbooks()->open(only(x)));
        } else {
            try {
                app->workbooks()->open(only(x));
                ADD_FAILURE() << "opened";
            } catch (const AutomationError& e) {
                EXPECT_EQ(e.openFailure(), c.cause);
                EXPECT_EQ(e.foundContent(), c.content);
            }
        }
        EXPECT_EQ(t.secondaryStarts, c.retried ? 1 : 0);
    }
}

TEST(FallbackApplication, WithoutASecondaryThePrimaryErrorStandsAndNoStartIsTriedTwice) {
    TwoApplications t;
    t.secondary.failCreation = true;
    const std::string x = t.book("x.xls", "佐藤");
    const std::string y = t.book("y.xls", "高橋");
    t.primary.refuse(x, OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.primary.refuse(y, OpenFailure::NotAWorkbook, FileContent::OpenDocumentSheet);
    auto app = t.make();
    for (const auto& [path, content] :
         {std::pair{x, FileContent::ZipWorkbook}, std::pair{y, FileContent::OpenDocumentSheet}}) {
        try {
            app->workbooks()->open(only(path));
            ADD_FAILURE() << path << " opened";
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.number(), 1004);
            EXPECT_EQ(e.openFailure(), OpenFailure::NotAWorkbook);
            EXPECT_EQ(e.foundContent(), content);
        }
    }
    EXPECT_EQ(t.secondaryStarts, 1);
    app->quit();
    EXPECT_EQ(t.primary.log.back(), "Quit");
}

TEST(FallbackApplication, ASecondaryFailureSaysMoreOnlyWhenItKnowsTheCause) {
    TwoApplications t;
    const std::string x = t.book("x.xls", "佐藤");
    const std::string locked = t.book("locked.xls", "高橋");
    t.primary.refuse(x, OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.primary.refuse(locked, OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.secondary.refuse(x, OpenFailure::Other);
    t.secondary.refuse(locked, OpenFailure::AccessDenied);
    auto app = t.make();
    try {
        app->workbooks()->open(only(x));
        ADD_FAILURE() << "opened";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.openFailure(), OpenFailure::NotAWorkbook);
        EXPECT_EQ(e.foundContent(), FileContent::ZipWorkbook);
    }
    try {
        app->workbooks()->open(only(locked));
        ADD_FAILURE() << "opened";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.openFailure(), OpenFailure::AccessDenied);
    }
    // A failed open leaves the application-level members where they were.
    EXPECT_THROW(app->range("担当者"), AutomationError);
    EXPECT_EQ(t.primary.log.back(), "Range(担当者)");
}

}  // namespace
}  // namespace automation
