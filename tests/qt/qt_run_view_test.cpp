#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QTest>
#include <QWidget>
#include <sstream>

#include "message_catcher.h"
#include "qt/qt_run_view.h"

using mokuji::qt::QtMessageText;
using mokuji::qt::QtRunView;
using mokuji::view::kPointerDefault;
using mokuji::view::kPointerHourglass;

class QtRunViewTest : public QObject {
    Q_OBJECT

  private slots:
    void captionIsTheWindowTitle() {
        QWidget window;
        QtRunView view(window);
        view.setCaption("mokuji - [帳票.xls]");
        QCOMPARE(window.windowTitle(), QStringLiteral("mokuji - [帳票.xls]"));
        QCOMPARE(view.caption(), std::string("mokuji - [帳票.xls]"));
    }

    void enablingReachesTheWindow() {
        QWidget window;
        QtRunView view(window);
        view.setEnabled(false);
        QVERIFY(!window.isEnabled());
        view.setEnabled(true);
        QVERIFY(window.isEnabled());
    }

    void hourglassIsOneOverrideCursorAndDefaultTakesItAway() {
        QWidget window;
        QtRunView view(window);
        view.setMousePointer(kPointerHourglass);
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        // Set twice, it is still one pointer: one reset clears it.
        view.setMousePointer(kPointerHourglass);
        view.setMousePointer(kPointerDefault);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // A reset without a busy pointer leaves others' cursors alone.
        QApplication::setOverrideCursor(Qt::CrossCursor);
        view.setMousePointer(kPointerDefault);
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QApplication::restoreOverrideCursor();
    }

    void endingTheViewTakesItsPointerAway() {
        {
            QWidget window;
            QtRunView view(window);
            view.setMousePointer(kPointerHourglass);
        }
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void messageIsAPlainOkBoxWithLineEndsShown() {
        QWidget window;
        QtRunView view(window);
        window.setEnabled(false);
        MessageCatcher catcher;
        view.showMessage("以下のフォルダにはEXCELのシートがありません。\r\n\r\n/tmp/x/");
        QCOMPARE(catcher.texts, QStringList{QStringLiteral(
                                    "以下のフォルダにはEXCELのシートがありません。\n\n/tmp/x/")});
        QCOMPARE(catcher.oddBoxes, 0);
    }

    void anUnattendedMessageReachesStandardErrorAndClosesByItself() {
        QWidget window;
        QtRunView view(window);
        std::ostringstream echo;
        view.setUnattended(&echo, std::chrono::milliseconds(50));
        QElapsedTimer waited;
        waited.start();
        view.showMessage("以下のフォルダにはEXCELのシートがありません。\r\n\r\n/tmp/x/");
        QVERIFY(waited.elapsed() < 5000);
        QCOMPARE(echo.str(),
                 std::string("以下のフォルダにはEXCELのシートがありません。\n\n/tmp/x/\n"));
    }

    void lineEndsBecomeNewlinesAndLoneCarriageReturnsStay() {
        QCOMPARE(QtMessageText("a\r\nb\r\n"), std::string("a\nb\n"));
        QCOMPARE(QtMessageText("a\rb\r"), std::string("a\rb\r"));
        QCOMPARE(QtMessageText(""), std::string());
    }
};

QTEST_MAIN(QtRunViewTest)
#include "qt_run_view_test.moc"
