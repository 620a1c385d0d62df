#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <memory>

#include "automation/native/native_application.h"
#include "counting_shell.h"
#include "message_catcher.h"
#include "os/posix_file_system.h"
#include "os/shell.h"
#include "qt/desktop_window.h"
#include "run/folder_gathering.h"
#include "support/source_workbook.h"
#include "support/temp_folder.h"
#include "ui/text.h"
#include "window/information_texts.h"

namespace {

using mokuji::qt::DesktopWindow;

QString u8(const std::string& text) {
    return QString::fromStdString(text);
}

// A drop as the desktop delivers it: a drag entering first, then the drop,
// both on the given part of the window. Returns whether the drag was taken.
bool dropOn(QWidget* target, const QMimeData& data) {
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return enter.isAccepted();
}

std::unique_ptr<QMimeData> urlsOf(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

}  // namespace

class Form1MainTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        window_ = std::make_unique<DesktopWindow>(fs_, shell_, ::xls::native::createApplication,
                                                  mokuji::run::GatherFolder, "");
        QCOMPARE(window_->load(), mokuji::window::RunEnd::WaitForUser);
        window_->form().show();
    }
    void cleanup() { window_.reset(); }

    void clientAreaIsTheDesignSizeAndFixed() {
        auto& form = window_->form();
        QCOMPARE(form.centralWidget()->size(), QSize(527, 336));
        QCOMPARE(form.minimumSize(), form.maximumSize());
        QCOMPARE(form.centralWidget()->palette().color(QPalette::Window), QColor(255, 255, 192));
        // The decoration: a background picture of the design size drawn on
        // pale yellow, a 23-pixel picture and a 32-pixel icon.
        const QBrush background = form.centralWidget()->palette().brush(QPalette::Window);
        QCOMPARE(background.texture().size(), QSize(529, 337));
        QCOMPARE(background.texture().toImage().pixelColor(500, 20), QColor(255, 255, 192));
        QCOMPARE(form.Image1()->pixmap().size(), QSize(23, 23));
        QVERIFY(form.windowIcon().availableSizes().contains(QSize(32, 32)));
    }

    void menusCarryTheirCaptionsInOrder() {
        auto& form = window_->form();
        const QList<QAction*> top = form.menuBar()->actions();
        QCOMPARE(top.size(), 2);
        QCOMPARE(top[0]->text(), QStringLiteral("ﾌｧｲﾙ(&F)"));
        QCOMPARE(top[1]->text(), QStringLiteral("ヘルプ"));

        const QList<QAction*> file = form.mnu_file0()->actions();
        QCOMPARE(file.size(), 4);
        QCOMPARE(file[0], form.mnu_make());
        QCOMPARE(file[0]->text(), QStringLiteral("目次ファイル作成"));
        QVERIFY(file[1]->isSeparator());
        QCOMPARE(file[2], form.mnu_version());
        QCOMPARE(file[2]->text(), QStringLiteral("バージョン"));
        QCOMPARE(file[3], form.mnu_end());
        QCOMPARE(file[3]->text(), QStringLiteral("終了"));

        const QList<QAction*> help = form.mnu_help0()->actions();
        QCOMPARE(help.size(), 2);
        QCOMPARE(help[0]->text(), QStringLiteral("ヘルプ"));
        QCOMPARE(help[1]->text(), QStringLiteral("名前の予約語"));
        QCOMPARE(help[1]->objectName(), QStringLiteral("mnu_help_予約語"));
    }

    // In English the window's own texts are English, and the list it makes
    // keeps its name.
    void inEnglishEveryCaptionIsEnglish() {
        mokuji::ui::UseLanguage(mokuji::ui::Language::English);
        DesktopWindow english(fs_, shell_, ::xls::native::createApplication,
                              mokuji::run::GatherFolder, "");
        QCOMPARE(english.load(), mokuji::window::RunEnd::WaitForUser);
        mokuji::ui::UseLanguage(mokuji::ui::Language::Japanese);
        auto& form = english.form();
        QVERIFY(form.windowTitle().endsWith(QStringLiteral(" EXCEL database")));
        QCOMPARE(form.menuBar()->actions()[0]->text(), QStringLiteral("&File"));
        QCOMPARE(form.menuBar()->actions()[1]->text(), QStringLiteral("Help"));
        QCOMPARE(form.mnu_make()->text(), QStringLiteral("Make list file"));
        QCOMPARE(form.mnu_help0()->actions()[1]->text(), QStringLiteral("Reserved names"));
        QCOMPARE(form.cmd_run()->text(), QStringLiteral("Make list file"));
        QCOMPARE(form.Label1(1)->text(), QStringLiteral("Drop the EXCEL files to sum up here"));
        QCOMPARE(form.lbl_mokuji()->text(), QStringLiteral("00_目次.xls"));
    }

    void labelsAndButtonSitAtTheirPlacesWithTheirTexts() {
        auto& form = window_->form();
        QCOMPARE(
            form.Label1(0)->text(),
            QStringLiteral("複数のEXCELﾌｧｲﾙの共通部分(名前部分)を集め、EXCELの一覧表にする。"));
        QCOMPARE(form.Label1(0)->geometry().topLeft(), QPoint(288, 33));
        QCOMPARE(form.Label1(0)->width(), 220);
        QCOMPARE(form.Label1(1)->text(),
                 QStringLiteral("ここに集計したいEXCELﾌｧｲﾙをドラッグドロップしてください"));
        QCOMPARE(form.Label1(1)->geometry().topLeft(), QPoint(24, 231));
        QCOMPARE(form.Label1(1)->width(), 160);
        // Every text shows whole: a label is as tall as its wrapped text
        // needs, at least its design height, and runs into no other control.
        for (QLabel* label : {form.Label1(0), form.Label1(1)}) {
            QVERIFY(label->height() >= 25);
            QVERIFY(label->height() >= label->heightForWidth(label->width()));
            for (QWidget* other : {static_cast<QWidget*>(form.lbl_mokuji()),
                                   static_cast<QWidget*>(form.cmd_run())}) {
                QVERIFY(!label->geometry().intersects(other->geometry()));
            }
        }
        QVERIFY(!form.Label1(0)->geometry().intersects(form.Label1(1)->geometry()));
        QCOMPARE(form.cmd_run()->text(), QStringLiteral("目次ファイル作成"));
        QCOMPARE(form.cmd_run()->geometry(), QRect(291, 264, 217, 37));
        QCOMPARE(form.Image1()->geometry(), QRect(9, 6, 23, 23));
        // Start-up names the list file; the label sizes itself to it.
        QCOMPARE(form.lbl_mokuji()->text(), QStringLiteral("00_目次.xls"));
        QCOMPARE(form.lbl_mokuji()->pos(), QPoint(291, 81));
        QCOMPARE(form.lbl_mokuji()->width(), form.lbl_mokuji()->sizeHint().width());
    }

    void startupSetsTheCaption() {
        QCOMPARE(window_->form().windowTitle(), u8(fs_.programBaseName()) + " EXCELのデータベース");
    }

    void startedWithAPathTheWindowShowsDisabledWhileTheRunWorks() {
        fake::TempFolder folder;
        fake::makeSource(folder.file("a.xls"), {{"氏名", 1, 1, std::string("山田")}});
        bool shownDisabled = false;
        CountingShell shell;
        DesktopWindow unattended(
            fs_, shell, ::xls::native::createApplication,
            [&](const mokuji::run::GatherContext& g) {
                // The window under construction is complete once it runs.
                shownDisabled = unattended.form().isVisible() && !unattended.form().isEnabled();
                return mokuji::run::GatherFolder(g);
            },
            folder.path().string());
        QCOMPARE(unattended.start(), mokuji::window::RunEnd::ListWritten);
        QVERIFY(shownDisabled);
        QCOMPARE(shell.documents, std::vector<std::string>{folder.file("00_目次.xls")});
    }

    void aDropIsTakenAsACopyOrALinkNeverAsAMove() {
        fake::TempFolder folder;
        auto data = urlsOf({QUrl::fromLocalFile(u8(folder.path().string()))});
        const struct {
            Qt::DropActions offered;
            Qt::DropAction answer;
        } cases[] = {
            {Qt::MoveAction | Qt::CopyAction, Qt::CopyAction},
            {Qt::MoveAction | Qt::LinkAction, Qt::LinkAction},
            {Qt::CopyAction | Qt::MoveAction | Qt::LinkAction, Qt::CopyAction},
            {Qt::MoveAction, Qt::IgnoreAction},
        };
        for (const auto& c : cases) {
            MessageCatcher catcher;
            QWidget* target = window_->form().cmd_run();
            const QPoint at = target->rect().center();
            QDragEnterEvent enter(at, c.offered, data.get(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QDragMoveEvent move(at, c.offered, data.get(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &move);
            QDropEvent drop(QPointF(at), c.offered, data.get(), Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &drop);
            const bool taken = c.answer != Qt::IgnoreAction;
            QCOMPARE(enter.isAccepted(), taken);
            QCOMPARE(drop.isAccepted(), taken);
            if (taken) {
                QCOMPARE(enter.dropAction(), c.answer);
                QCOMPARE(move.dropAction(), c.answer);
                QCOMPARE(drop.dropAction(), c.answer);
            }
            // Only a drop that is taken runs.
            QCOMPARE(catcher.texts.size(), taken ? 1 : 0);
        }
    }

    void dropWithoutFileNamesIsIgnored() {
        MessageCatcher catcher;
        QMimeData text;
        text.setText(QStringLiteral("/tmp"));
        QVERIFY(!dropOn(&window_->form(), text));
        auto link = urlsOf({QUrl(QStringLiteral("https://example.org/a.xls"))});
        QVERIFY(!dropOn(window_->form().Label1(0), *link));
        QApplication::processEvents();
        QVERIFY(catcher.texts.isEmpty());
        QCOMPARE(window_->state().g_mokuji_path, std::string("00_目次.xls"));
        QCOMPARE(window_->form().windowTitle(), u8(fs_.programBaseName()) + " EXCELのデータベース");
    }

    void localPathsKeepTheirOrder() {
        auto data = urlsOf({QUrl::fromLocalFile(QStringLiteral("/b/ﾃｽﾄ.xls")),
                            QUrl(QStringLiteral("https://example.org/")),
                            QUrl::fromLocalFile(QStringLiteral("/a/目次"))});
        const std::vector<std::string> expected{"/b/ﾃｽﾄ.xls", "/a/目次"};
        QCOMPARE(mokuji::qt::LocalPathsOf(*data), expected);
    }

    // The texts themselves are the logic's; the window shows each whole
    // in a plain box, its line ends as the desktop's.
    void informationItemsShowTheirTexts() {
        MessageCatcher catcher;
        window_->form().mnu_version()->trigger();
        window_->form().mnu_help1()->trigger();
        window_->form().mnu_help_予約語()->trigger();
        const QStringList expected{
            u8(mokuji::window::VersionText(fs_.programBaseName())), u8(mokuji::window::HelpText()),
            u8(mokuji::window::ReservedNamesText(window_->state().prop_name))};
        QCOMPARE(catcher.texts.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(QString(catcher.texts[i]).replace('\n', QStringLiteral("\r\n")), expected[i]);
        QCOMPARE(catcher.oddBoxes, 0);
    }

  private:
    mokuji::os::PosixFileSystem fs_;
    CountingShell shell_;
    std::unique_ptr<DesktopWindow> window_;
};

QTEST_MAIN(Form1MainTest)
#include "form1_main_test.moc"
