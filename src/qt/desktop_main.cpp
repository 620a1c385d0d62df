#include "qt/desktop_main.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdlib>
#include <iostream>

#include "automation/native/native_application.h"
#include "os/posix_file_system.h"
#include "os/xdg_shell.h"
#include "qt/desktop_window.h"
#include "run/folder_gathering.h"
#include "ui/text.h"
#include "window/untrapped_failure.h"

namespace mokuji::qt {

int RunDesktop(int& argc, char** argv, std::string arguments, window::GatheringSettings gathering) {
    const char* requested = std::getenv("QT_QPA_PLATFORM");
    setenv("QT_QPA_PLATFORM", window::PlatformsToTry(requested).c_str(), 1);
#ifdef MOKUJI_APP_ID
    // The installed desktop entry's name, so that the desktop shows the
    // window under its launcher and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(MOKUJI_APP_ID));
#endif
    QApplication application(argc, argv);
    if (!window::ShowsWindows(QGuiApplication::platformName().toStdString()))
        return window::kNoDisplayOpened;
    // Qt's own buttons (OK, キャンセル, 開く) speak the window's language,
    // whatever the desktop's; without the translation installed they stay
    // English, which is Qt's own.
    QTranslator qtTexts;
    if (ui::CurrentLanguage() == ui::Language::Japanese &&
        qtTexts.load(QStringLiteral("qtbase_ja"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTexts);
    }
    os::PosixFileSystem fs;
    os::XdgShell shell;
    DesktopWindow window(fs, shell, ::xls::native::createApplication, run::GatherFolder, arguments,
                         std::move(gathering));
    // Nobody may be watching a run started with a path (cron, a script):
    // its messages reach standard error too and never hold the run up.
    if (!arguments.empty())
        window.view().setUnattended(&std::cerr, window::kUnattendedMessageTimeout);
    window::RunEnd outcome = window.start();
    if (window.failed()) return window::kUntrappedFailureStatus;
    if (outcome != window::RunEnd::WaitForUser) return window::ExitStatusOf(outcome);
    return QApplication::exec();
}

}  // namespace mokuji::qt
