// The run command and drops in the real window: the rows of the logic,
// played with the real button, menu item and file dialog answered as a user
// does and drops on each part of the window, then what only a window has (a
// run under way refuses a second).

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <memory>

#include "automation/native/native_application.h"
#include "counting_shell.h"
#include "dialog_answerer.h"
#include "message_catcher.h"
#include "os/posix_file_system.h"
#include "qt/desktop_window.h"
#include "run/folder_gathering.h"
#include "window/run_command_rows.h"

namespace {

using mokuji::qt::DesktopWindow;

QString u8(const std::string& text) {
    return QString::fromStdString(text);
}

}  // namespace

class RunCommandTest : public QObject {
    Q_OBJECT

  private slots:
    void init() {
        gathers_ = 0;
        window_ = std::make_unique<DesktopWindow>(
            fs_, shell_, ::xls::native::createApplication,
            [this](const mokuji::run::GatherContext& g) {
                ++gathers_;
                if (duringGathering_) duringGathering_();
                return mokuji::run::GatherFolder(g);
            },
            "");
        QCOMPARE(window_->load(), mokuji::window::RunEnd::WaitForUser);
        window_->form().show();
    }
    void cleanup() {
        window_.reset();
        shell_.documents.clear();
        duringGathering_ = nullptr;
    }

    void playsTheRows_data() {
        QTest::addColumn<int>("row");
        for (std::size_t i = 0; i < run_rows::Rows().size(); ++i)
            QTest::newRow(run_rows::Rows()[i].name) << static_cast<int>(i);
    }
    void playsTheRows() {
        QFETCH(int, row);
        const run_rows::Row& r = run_rows::Rows()[static_cast<std::size_t>(row)];
        run_rows::RowFolder folder(r.damagedList);
        DialogAnswerer dialogs;
        MessageCatcher messages;
        for (const run_rows::Step& step : r.steps) {
            if (step.via == run_rows::Via::Drop) {
                QWidget* parts[] = {window_->form().cmd_run(), window_->form().Label1(1),
                                    window_->form().Image1(), &window_->form()};
                drop(run_rows::dropped(step, folder), parts[drops_++ % 4]);
                continue;
            }
            const std::string path = step.chosen.empty() ? "" : folder.at(step.chosen[0]);
            if (step.chosen.empty())
                dialogs.cancel();
            else if (step.chosen.size() == 1)  // typed in the folder the user went to
                dialogs.type(u8(run_rows::nameOf(path)), u8(run_rows::folderOf(path)));
            else
                dialogs.type(u8(run_rows::Quoted(step.chosen)), u8(folder.path()));
            if (step.via == run_rows::Via::Button)
                QTest::mouseClick(window_->form().cmd_run(), Qt::LeftButton);
            else
                window_->form().mnu_make()->trigger();
        }
        run_rows::Seen seen{{},
                            {},
                            gathers_,
                            shell_.documents,
                            window_->state().g_mokuji_path,
                            window_->form().windowTitle().toStdString(),
                            fs_.programBaseName()};
        for (const DialogAnswerer::Seen& d : dialogs.seen) {
            QCOMPARE(d.title, QStringLiteral("目次ファイル読込"));
            QVERIFY(d.filters.value(0).startsWith(QStringLiteral("目次ファイル (00_目次.xls)")));
            seen.presets.push_back((d.folder + "/" + d.presetName).toStdString());
        }
        for (const QString& text : messages.texts) seen.messages.push_back(text.toStdString());
        const std::vector<std::string> missed = run_rows::Mismatches(r, folder, seen);
        QVERIFY2(missed.empty(), missed.empty() ? "" : missed.front().c_str());
        QCOMPARE(messages.oddBoxes, 0);
        QVERIFY(window_->form().isEnabled());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void noSecondRunStartsWhileOneIsUnderWay() {
        run_rows::RowFolder folder;
        DialogAnswerer dialogs;
        MessageCatcher messages;
        // A drop and both commands arrive while the first run gathers.
        duringGathering_ = [&] {
            drop({folder.path()}, &window_->form());
            window_->form().mnu_make()->trigger();
            window_->form().cmd_run()->click();
            QVERIFY(window_->busy());
        };
        dialogs.type(u8(folder.at("b.xls")));
        window_->form().cmd_run()->click();
        QCOMPARE(gathers_, 1);
        QCOMPARE(dialogs.seen.size(), 1);
        QCOMPARE(shell_.documents.size(), std::size_t{1});
        QVERIFY(!window_->busy());
    }

  private:
    // As the desktop delivers a drop: a drag entering first, then the drop.
    static void drop(const std::vector<std::string>& paths, QWidget* target) {
        QMimeData data;
        QList<QUrl> urls;
        for (const std::string& path : paths) urls << QUrl::fromLocalFile(u8(path));
        data.setUrls(urls);
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &dropped);
    }

    mokuji::os::PosixFileSystem fs_;
    CountingShell shell_;
    std::unique_ptr<DesktopWindow> window_;
    std::function<void()> duringGathering_;
    int gathers_ = 0;
    int drops_ = 0;
};

QTEST_MAIN(RunCommandTest)
#include "run_command_test.moc"
