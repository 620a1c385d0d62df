#include "automation/fallback_application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "list_file/property_names.h"
#include "run/workbook_row_reader.h"
#include "support/fake_application.h"

namespace automation {
namespace {

using fake::World;

// A primary engine that refuses some files and a secondary that opens them;
// the secondary's starts are counted, failed ones included.
struct TwoApplications {
    World primary;
    World secondary;
    int secondaryStarts = 0;

    std::unique_ptr<Application> make() {
        auto startSecondary = [this]() {
            ++secondaryStarts;
            return fake::factoryFor(secondary)();
        };
        return MakeFallbackApplication(std::make_unique<fake::FakeApplication>(primary),
                                       startSecondary);
    }

    void refuse(const std::string& path, OpenFailure cause,
                FileContent content = FileContent::Unknown) {
        primary.books[path].openFailure = cause;
        primary.books[path].openContent = content;
    }
};

std::string rowOf(Application& app, const std::string& path) {
    mokuji::columns::ColumnTable table;
    table.g_item_name[1] = "担当者";
    mokuji::columns::PropertyNameTable prop_name;
    mokuji::columns::FillPropertyNames(prop_name);
    mokuji::engine::RowStore rows;
    auto book = mokuji::engine::ReadWorkbookRow(app, path, table, prop_name, rows);
    book->close(false);
    return rows.rows.empty() ? "(no row)" : rows.rows[0].values.at(0).toText() + "\t";
}

OpenArguments only(const std::string& path) {
    OpenArguments a;
    a.fileName = path;
    return a;
}

bool logged(const World& w, const std::string& entry) {
    return std::find(w.log.begin(), w.log.end(), entry) != w.log.end();
}

TEST(FallbackApplication, AWorkbookOnlyTheSecondaryOpensIsReadThereWithTheSameSettings) {
    TwoApplications t;
    t.primary.books["/d/a.xls"].names["担当者"] = Variant("鈴木");
    t.refuse("/d/x.xls", OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.refuse("/d/z.xls", OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.secondary.books["/d/x.xls"].names["担当者"] = Variant("佐藤");
    t.secondary.books["/d/z.xls"].names["担当者"] = Variant("高橋");
    {
        auto app = t.make();
        app->setDisplayAlerts(false);

        EXPECT_EQ(rowOf(*app, "/d/x.xls"), "佐藤\t");
        // Started only now, given what the caller had set before.
        ASSERT_EQ(t.secondaryStarts, 1);
        ASSERT_GE(t.secondary.log.size(), 3u);
        EXPECT_EQ(
            (std::vector<std::string>(t.secondary.log.begin(), t.secondary.log.begin() + 3)),
            (std::vector<std::string>{
                "EnableEvents=false", "DisplayAlerts=false",
                "Open(/d/x.xls,UpdateLinks=0,ReadOnly=true,IgnoreReadOnlyRecommended=true)"}));
        EXPECT_TRUE(logged(t.secondary, "Range(担当者)"));

        // Back on the primary: the name is looked up where the workbook is.
        EXPECT_EQ(rowOf(*app, "/d/a.xls"), "鈴木\t");
        EXPECT_EQ(std::count(t.primary.log.begin(), t.primary.log.end(), "Range(担当者)"), 1);

        EXPECT_EQ(rowOf(*app, "/d/z.xls"), "高橋\t");
        EXPECT_EQ(t.secondaryStarts, 1);

        app->quit();
        EXPECT_EQ(t.primary.log.back(), "Quit");
        EXPECT_EQ(t.secondary.log.back(), "Quit");
    }
    EXPECT_EQ(t.primary.applicationsAlive, 0);
    EXPECT_EQ(t.secondary.applicationsAlive, 0);
}

TEST(FallbackApplication, OnlyFormatsTheSecondaryCanOpenAreRetried) {
    const std::vector<std::pair<OpenFailure, FileContent>> retried = {
        {OpenFailure::NotAWorkbook, FileContent::ZipWorkbook},
        {OpenFailure::NotAWorkbook, FileContent::OpenDocumentSheet},
        {OpenFailure::NotAWorkbook, FileContent::XmlSpreadsheet},
        {OpenFailure::NotAWorkbook, FileContent::Html},
        {OpenFailure::NotAWorkbook, FileContent::WebArchive},
        {OpenFailure::NotAWorkbook, FileContent::EarlyWorkbook},
        {OpenFailure::UnsupportedFormat, FileContent::Unknown},
        {OpenFailure::Damaged, FileContent::ZipWorkbook},
    };
    for (const auto& [cause, content] : retried) {
        TwoApplications t;
        t.refuse("/d/x.xls", cause, content);
        t.secondary.books["/d/x.xls"];
        auto app = t.make();
        EXPECT_NO_THROW(app->workbooks()->open(only("/d/x.xls"))) << static_cast<int>(content);
        EXPECT_EQ(t.secondaryStarts, 1) << static_cast<int>(content);
    }

    const std::vector<std::pair<OpenFailure, FileContent>> kept = {
        {OpenFailure::Damaged, FileContent::Unknown},
        {OpenFailure::Encrypted, FileContent::Unknown},
        {OpenFailure::NotFound, FileContent::Unknown},
        {OpenFailure::AccessDenied, FileContent::Unknown},
        {OpenFailure::Other, FileContent::Unknown},
        {OpenFailure::NotAWorkbook, FileContent::Empty},
        {OpenFailure::NotAWorkbook, FileContent::Pdf},
        {OpenFailure::NotAWorkbook, FileContent::Picture},
        {OpenFailure::NotAWorkbook, FileContent::Unknown},
        {OpenFailure::NotAWorkbook, FileContent::Folder},
        {OpenFailure::NotAWorkbook, FileContent::OtherZipDocument},
    };
    for (const auto& [cause, content] : kept) {
        TwoApplications t;
        t.refuse("/d/x.xls", cause, content);
        t.secondary.books["/d/x.xls"];
        auto app = t.make();
        try {
            app->workbooks()->open(only("/d/x.xls"));
            ADD_FAILURE() << "opened: " << static_cast<int>(cause) << "/"
                          << static_cast<int>(content);
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.openFailure(), cause);
            EXPECT_EQ(e.foundContent(), content);
        }
        EXPECT_EQ(t.secondaryStarts, 0);
    }
}

TEST(FallbackApplication, WithoutASecondaryThePrimaryErrorStandsAndNoStartIsTriedTwice) {
    TwoApplications t;
    t.secondary.failCreation = true;
    t.refuse("/d/x.xls", OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.refuse("/d/y.xls", OpenFailure::NotAWorkbook, FileContent::OpenDocumentSheet);
    auto app = t.make();
    for (const auto& [path, content] : {std::pair{"/d/x.xls", FileContent::ZipWorkbook},
                                        std::pair{"/d/y.xls", FileContent::OpenDocumentSheet}}) {
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
    t.refuse("/d/x.xls", OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.refuse("/d/locked.xls", OpenFailure::NotAWorkbook, FileContent::ZipWorkbook);
    t.secondary.books["/d/x.xls"].openFailure = OpenFailure::Other;
    t.secondary.books["/d/locked.xls"].openFailure = OpenFailure::AccessDenied;
    auto app = t.make();
    try {
        app->workbooks()->open(only("/d/x.xls"));
        ADD_FAILURE() << "opened";
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.openFailure(), OpenFailure::NotAWorkbook);
        EXPECT_EQ(e.foundContent(), FileContent::ZipWorkbook);
    }
    try {
        app->workbooks()->open(only("/d/locked.xls"));
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
