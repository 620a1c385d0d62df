#include "qt/desktop_window.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <utility>

namespace mokuji::qt {

DesktopWindow::DesktopWindow(os::FileSystem& fs, os::Shell& shell,
                             automation::ApplicationFactory createApplication,
                             window::Gatherer gather, std::string arguments,
                             window::GatheringSettings gathering)
    : view_(form_),
      dialogLayer_(shell),
      commands_({fs, shell, view_, std::move(createApplication), std::move(gather),
                 std::move(arguments), [this] { centre(); }, std::move(gathering)},
                {dialogLayer_, std::make_shared<QtOwnerWindow>(form_)},
                [](int status) { QCoreApplication::exit(status); }) {
    form_.onDrop = [this](const std::vector<std::string>& paths) { commands_.drop(paths); };
    QObject::connect(form_.cmd_run(), &QPushButton::clicked, &form_,
                     [this] { commands_.runButton(); });
    QObject::connect(form_.mnu_make(), &QAction::triggered, &form_,
                     [this] { commands_.makeMenuItem(); });
    QObject::connect(form_.mnu_version(), &QAction::triggered, &form_,
                     [this] { commands_.versionMenuItem(); });
    QObject::connect(form_.mnu_help1(), &QAction::triggered, &form_,
                     [this] { commands_.helpMenuItem(); });
    QObject::connect(form_.mnu_help_予約語(), &QAction::triggered, &form_,
                     [this] { commands_.reservedWordsMenuItem(); });
    // Ends the program without asking anything or closing the window first.
    QObject::connect(form_.mnu_end(), &QAction::triggered, &form_,
                     [] { QCoreApplication::quit(); });
}

window::RunEnd DesktopWindow::load() {
    window::RunEnd outcome = commands_.load();
    form_.setListFileName(state().lbl_mokuji);
    return outcome;
}

window::RunEnd DesktopWindow::start() {
    if (!commands_.context().arguments.empty()) {
        form_.setEnabled(false);
        form_.show();
    }
    window::RunEnd outcome = load();
    if (failed()) return outcome;
    if (outcome == window::RunEnd::WaitForUser) {
        form_.setEnabled(true);
        form_.show();
    }
    return outcome;
}

void DesktopWindow::centre() {
    const QScreen* screen = form_.screen();
    if (screen == nullptr) return;
    QRect place = form_.frameGeometry();
    place.moveCenter(screen->geometry().center());
    form_.move(place.topLeft());
}

}  // namespace mokuji::qt
