// The run command in the real window: the list-file dialog answered or
// cancelled by the test, and what the run then writes and opens.

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <memory>

#include "automation/native/native_application.h"
#include "counting_shell.h"
#include "dialog_answerer.h"
#include "message_catcher.h"
#include "os/posix_file_system.h"
#include "qt/desktop_window.h"
#include "run/folder_gathering.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"

namespace {

using mokuji::app::DesktopWindow;

QString u8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

class RunCommandTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        folder_ = std::make_unique<fake::TempFolder>();
        fake::makeSource(folder_->file("a.xls"), {{"氏名", 1, 1, std::string("山田")}});
        fake::makeSource(folder_->file("b.xls"), {{"氏名", 1, 1, std::string("佐藤")}});
        gathers_ = 0;
        window_ = std::make_unique<DesktopWindow>(
            fs_, shell_, ::xls::native::createApplication,
            [this](const mokuji::gather::GatherContext& g) {
                ++gathers_;
                if (duringGathering_) duringGathering_();
                return mokuji::gather::GatherFolder(g);
            },
            "");
        QCOMPARE(window_->load(), mokuji::app::RunEnd::WaitForUser);
        window_->form().show();
    }
    void cleanup() {
        window_.reset();
        folder_.reset();
        shell_.documents.clear();
        duringGathering_ = nullptr;
    }

    void cancellingRightAfterStartUpLeavesTheButtonSilentAndTheMenuSpeaks() {
        DialogAnswerer dialogs;
        MessageCatcher messages;
        dialogs.cancel();
        QTest::mouseClick(window_->form().cmd_run(), Qt::LeftButton);
        QVERIFY(messages.texts.isEmpty());

        dialogs.cancel();
        window_->form().mnu_make()->trigger();
        QCOMPARE(messages.texts, QStringList{QStringLiteral("EXCELのシートがありません。")});
        QCOMPARE(gathers_, 0);
        QVERIFY(shell_.documents.empty());

        QCOMPARE(dialogs.seen.size(), 2);
        QCOMPARE(dialogs.seen[0].title, QStringLiteral("目次ファイル読込"));
        QCOMPARE(dialogs.seen[0].presetName, QStringLiteral("00_目次.xls"));
        QCOMPARE(dialogs.seen[0].filters.size(), 2);
        QVERIFY(
            dialogs.seen[0].filters[0].startsWith(QStringLiteral("目次ファイル (00_目次.xls)")));
    }

    void aChosenWorkbookListsItsFolder() {
        DialogAnswerer dialogs;
        MessageCatcher messages;
        dialogs.type(u8(folder_->file("a.xls")));
        QTest::mouseClick(window_->form().cmd_run(), Qt::LeftButton);

        QVERIFY(messages.texts.isEmpty());
        QVERIFY(std::filesystem::exists(folder_->file("00_目次.xls")));
        QCOMPARE(shell_.documents, std::vector<std::string>{folder_->file("00_目次.xls")});
        QCOMPARE(window_->state().List1.ListCount(), std::size_t{2});
        QCOMPARE(window_->form().windowTitle(), u8(fs_.programBaseName()) + " EXCELのデータベース");
        QVERIFY(window_->form().isEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);

        // The next dialog opens where the last choice was made, and a
        // cancel there makes the same list again.
        dialogs.cancel();
        window_->form().mnu_make()->trigger();
        QCOMPARE(dialogs.seen[1].folder, u8(folder_->path().string()));
        QCOMPARE(dialogs.seen[1].presetName, QStringLiteral("a.xls"));
        QCOMPARE(shell_.documents.size(), std::size_t{2});
        QCOMPARE(gathers_, 1);
    }

    void typingTheListFileNameInAFolderWithoutOneChoosesThatFolder() {
        DialogAnswerer dialogs;
        MessageCatcher messages;
        const QString folder = u8(folder_->path().string());
        dialogs.type(QStringLiteral("00_目次.xls"), folder);
        window_->form().mnu_make()->trigger();
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(window_->state().g_mokuji_path, folder_->file("00_目次.xls"));
        QVERIFY(std::filesystem::exists(folder_->file("00_目次.xls")));
    }

    void severalChosenFilesNameTheirFolder() {
        DialogAnswerer dialogs;
        MessageCatcher messages;
        const QString folder = u8(folder_->path().string());
        dialogs.type(QStringLiteral("\"b.xls\" \"a.xls\""), folder);
        window_->form().mnu_make()->trigger();
        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(window_->state().g_mokuji_path, folder_->file("b.xls"));
        QVERIFY(std::filesystem::exists(folder_->file("00_目次.xls")));
    }

    void aChoiceAfterADropIsExactlyWhatWasChosen() {
        // The drop presets the dialog with a long list-file path; the names
        // chosen next are shorter and must come back alone.
        const std::string dropped = folder_->file("アンケート回答_2024年度_第2回");
        std::filesystem::create_directory(dropped);
        fake::makeSource(dropped + "/c.xls", {{"氏名", 1, 1, std::string("鈴木")}});
        DialogAnswerer dialogs;
        MessageCatcher messages;
        drop(dropped);
        QCOMPARE(window_->state().g_mokuji_path, dropped + "/00_目次.xls");

        dialogs.type(u8(folder_->file("a.xls")));
        window_->form().cmd_run()->click();
        QCOMPARE(QString::fromStdString(window_->state().g_mokuji_path),
                 u8(folder_->file("a.xls")));
        QCOMPARE(dialogs.seen[0].presetName, QStringLiteral("00_目次.xls"));
        dialogs.type(u8(folder_->file("00_目次.xls")));
        window_->form().mnu_make()->trigger();
        QCOMPARE(window_->state().g_mokuji_path, folder_->file("00_目次.xls"));

        QVERIFY(messages.texts.isEmpty());
        QCOMPARE(shell_.documents,
                 (std::vector<std::string>{dropped + "/00_目次.xls", folder_->file("00_目次.xls"),
                                           folder_->file("00_目次.xls")}));
    }

    void noSecondRunStartsWhileOneIsUnderWay() {
        DialogAnswerer dialogs;
        MessageCatcher messages;
        // A drop and both commands arrive while the first run gathers.
        duringGathering_ = [this] {
            drop(folder_->path().string());
            window_->form().mnu_make()->trigger();
            window_->form().cmd_run()->click();
            QVERIFY(window_->busy());
        };
        dialogs.type(u8(folder_->file("b.xls")));
        window_->form().cmd_run()->click();
        QCOMPARE(gathers_, 1);
        QCOMPARE(dialogs.seen.size(), 1);
        QCOMPARE(shell_.documents.size(), std::size_t{1});
        QVERIFY(!window_->busy());
    }

  private:
    void drop(const std::string& path) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(u8(path))});
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window_->form(), &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window_->form(), &dropped);
    }

    mokuji::platform::PosixFileSystem fs_;
    CountingShell shell_;
    std::unique_ptr<fake::TempFolder> folder_;
    std::unique_ptr<DesktopWindow> window_;
    std::function<void()> duringGathering_;
    int gathers_ = 0;
};

QTEST_MAIN(RunCommandTest)
#include "run_command_test.moc"
