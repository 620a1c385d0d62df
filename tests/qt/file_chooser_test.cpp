// The file dialog on Qt: the platform's filter text, what each filter entry
// lets through, and how a choice is written into the caller's buffers.

#include "qt/file_chooser.h"

#include <QAbstractItemView>
#include <QListView>
#include <QTest>
#include <string>

#include "dialogs/text_buffers.h"
#include "support/temp_folder.h"

using namespace std::string_literals;
using mokuji::qt::FileChooser;
using mokuji::qt::FileFiltersOf;
using mokuji::qt::MatchesAnyPattern;
using mokuji::qt::WriteChoice;

namespace {

const std::string kListFilter =
    "目次ファイル (00_目次.xls)\0"
    "00_目次.xls\0EXCEL Files (*.xls)\0*.xls;*.XLT\0"s;

mokuji::dialogs::FileDialogRequest requestWithBuffer(int size) {
    mokuji::dialogs::FileDialogRequest request;
    request.fileBuffer = std::string(static_cast<std::size_t>(size), '\0');
    request.fileBufferSize = size;
    request.fileTitle = std::string(32, '\0');
    request.fileTitleSize = 32;
    return request;
}

}  // namespace

class FileChooserTest : public QObject {
    Q_OBJECT

  private slots:
    void filterTextGivesDescriptionsAndPatterns() {
        const auto filters = FileFiltersOf(kListFilter);
        QCOMPARE(filters.size(), std::size_t{2});
        QCOMPARE(filters[0].description, QStringLiteral("目次ファイル (00_目次.xls)"));
        QCOMPARE(filters[0].patterns, QStringList{QStringLiteral("00_目次.xls")});
        QCOMPARE(filters[1].patterns, (QStringList{"*.xls", "*.XLT"}));
        // A text cut short keeps only its whole entries.
        QCOMPARE(FileFiltersOf("A\0*.a\0B"s).size(), std::size_t{1});
        QVERIFY(FileFiltersOf(""s).empty());
    }

    void patternsIgnoreLetterCaseAndMatchWholeNames() {
        const QStringList list{QStringLiteral("00_目次.xls")};
        QVERIFY(MatchesAnyPattern(QStringLiteral("00_目次.XLS"), list));
        QVERIFY(!MatchesAnyPattern(QStringLiteral("00_目次.xls.bak"), list));
        const QStringList books{"*.xls", "*.xlt"};
        QVERIFY(MatchesAnyPattern(QStringLiteral("報告ｱ.Xls"), books));
        QVERIFY(MatchesAnyPattern(QStringLiteral("t.XLT"), books));
        QVERIFY(!MatchesAnyPattern(QStringLiteral("a.xlsx"), books));
        QVERIFY(MatchesAnyPattern(QStringLiteral("a[1].xls"), books));
    }

    void theListFileEntryShowsOnlyTheListFileAndFolders() {
        fake::TempFolder folder;
        folder.write("00_目次.xls", "x");
        folder.write("a.xls", "x");
        folder.write("notes.txt", "x");
        std::filesystem::create_directory(folder.path() / "sub");
        auto request = requestWithBuffer(255);
        request.filter = kListFilter;
        request.filterIndex = 1;
        request.initialDir = folder.path().string();
        FileChooser chooser(nullptr, request, false);
        chooser.show();
        auto* view = chooser.findChild<QListView*>(QStringLiteral("listView"));
        QVERIFY(view != nullptr);
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 2);
        QStringList shown;
        for (int row = 0; row < 2; ++row) {
            shown << view->model()->index(row, 0, view->rootIndex()).data().toString();
        }
        shown.sort();
        QCOMPARE(shown, (QStringList{QStringLiteral("00_目次.xls"), QStringLiteral("sub")}));
        QCOMPARE(chooser.filterIndex(), 1);

        chooser.selectNameFilter(chooser.nameFilters().at(1));
        emit chooser.filterSelected(chooser.nameFilters().at(1));
        QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 3);
        QCOMPARE(chooser.filterIndex(), 2);
        chooser.reject();
    }

    void aChoiceReplacesThePresetAndSaysWhereItsNameBegins() {
        auto request = requestWithBuffer(16);
        request.fileBuffer = "abcdefghijklmno\0"s;
        QVERIFY(WriteChoice({QStringLiteral("/d/目次.xls")}, request));
        QCOMPARE(request.fileBuffer, "/d/目次.xls"s + std::string(7, '\0'));
        QCOMPARE(request.fileOffset, 3);
        QCOMPARE(request.fileTitle.substr(0, 11), "目次.xls\0"s);

        auto several = requestWithBuffer(16);
        QVERIFY(WriteChoice({QStringLiteral("/d/a.xls"), QStringLiteral("/d/b.xls")}, several));
        QCOMPARE(several.fileBuffer, "/d\0a.xls\0b.xls\0\0"s);
        QCOMPARE(several.fileOffset, 3);
    }

    void aChoiceTooLongForTheBufferIsRefusedAndLeavesItAlone() {
        auto request = requestWithBuffer(10);
        QVERIFY(!WriteChoice({QStringLiteral("/d/目次ファイル.xls")}, request));
        QCOMPARE(request.fileBuffer, std::string(10, '\0'));
        auto several = requestWithBuffer(15);
        QVERIFY(!WriteChoice({QStringLiteral("/d/a.xls"), QStringLiteral("/d/b.xls")}, several));
        QVERIFY(!WriteChoice({}, several));
    }
};

QTEST_MAIN(FileChooserTest)
#include "file_chooser_test.moc"
