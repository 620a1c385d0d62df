// The colour, font and printer dialogs and the help files on Qt, each
// answered by the test: what the caller's request carries back.

#include "qt/qt_dialog_layer.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFontDialog>
#include <QTest>
#include <QTimer>
#include <functional>

#include "counting_shell.h"

using mokuji::qt::QtDialogLayer;

namespace {

// Runs `answer` on the first modal dialog of type D that shows up.
template <typename D>
void answerNext(std::function<void(D&)> answer) {
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, answer] {
        auto* dialog = qobject_cast<D*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        answer(*dialog);
    });
    timer->start();
}

}  // namespace

class QtDialogLayerTest : public QObject {
    Q_OBJECT

  private slots:
    void aChosenColourComesBackBlueGreenRed() {
        QtDialogLayer layer(shell_);
        mokuji::dialogs::ColorRequest request;
        request.color = 0x00C0FFFF;  // pale yellow, as the platform counts it
        request.customColors[3] = 0x00123456;
        QColor offered;
        answerNext<QColorDialog>([&offered](QColorDialog& dialog) {
            offered = dialog.currentColor();
            dialog.setCurrentColor(QColor(0x11, 0x22, 0x33));
            dialog.accept();
        });
        QCOMPARE(layer.chooseColor(request), 1);
        QCOMPARE(offered, QColor(255, 255, 192));
        QCOMPARE(request.color, 0x00332211);
        QCOMPARE(request.customColors[3], 0x00123456);

        answerNext<QColorDialog>([](QColorDialog& dialog) { dialog.reject(); });
        QCOMPARE(layer.chooseColor(request), 0);
        QCOMPARE(layer.extendedError(), 0);
        QCOMPARE(request.color, 0x00332211);
    }

    void aFontTravelsAsThePlatformDescribesIt() {
        QtDialogLayer layer(shell_);
        mokuji::dialogs::FontRequest request;
        request.font.faceName = "IPAGothic";
        request.font.height = -16;  // 12 points at 96 pixels an inch
        request.font.weight = 700;
        request.font.italic = 1;
        QFont offered;
        answerNext<QFontDialog>([&offered](QFontDialog& dialog) {
            offered = dialog.currentFont();
            QFont next = offered;
            next.setPointSize(9);
            next.setBold(false);
            next.setUnderline(true);
            dialog.setCurrentFont(next);
            dialog.accept();
        });
        QCOMPARE(layer.chooseFont(request), 1);
        // The dialog offers only the styles the family has, so of the
        // offered font only family and size are certain.
        QCOMPARE(offered.family(), QStringLiteral("IPAGothic"));
        QCOMPARE(offered.pointSizeF(), 12.0);
        QCOMPARE(request.font.height, -12);
        QCOMPARE(request.font.weight, 400);
        QCOMPARE(request.font.underline, 1);
        QVERIFY(!request.font.faceName.empty());
    }

    void aCancelledPrinterDialogChangesNothing() {
        QtDialogLayer layer(shell_);
        mokuji::dialogs::PrintRequest request;
        request.fromPage = 2;
        request.toPage = 3;
        request.minPage = 1;
        request.maxPage = 9;
        request.copies = 2;
        answerNext<QDialog>([](QDialog& dialog) { dialog.reject(); });
        QCOMPARE(layer.printDlg(request), 0);
        QCOMPARE(layer.extendedError(), 0);
        QCOMPARE(request.fromPage, 2);
        QCOMPARE(request.copies, 2);
    }

    void helpFilesOpenWithTheDesktopsOpenerExceptWhenClosing() {
        QtDialogLayer layer(shell_);
        layer.winHelp(0, "/opt/help/mokuji.hlp", 3, 0);
        layer.htmlHelp(0, "/opt/help/mokuji.chm::/topic.htm", 0, 0);
        layer.winHelp(0, "/opt/help/mokuji.hlp", 2, 0);      // quit
        layer.htmlHelp(0, "/opt/help/mokuji.chm", 0x12, 0);  // close all
        layer.winHelp(0, "", 3, 0);
        QCOMPARE(shell_.documents,
                 (std::vector<std::string>{"/opt/help/mokuji.hlp", "/opt/help/mokuji.chm"}));
    }

  private:
    CountingShell shell_;
};

QTEST_MAIN(QtDialogLayerTest)
#include "qt_dialog_layer_test.moc"
