#include "app/desktop_window.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QScreen>
#include <utility>

#include "app/drop_intake.h"
#include "app/information_texts.h"
#include "app/untrapped_failure.h"

namespace mokuji::app {

DesktopWindow::DesktopWindow(platform::FileSystem& fs, platform::Shell& shell,
                             automation::ApplicationFactory createApplication, Gatherer gather,
                             std::string arguments)
    : view_(form_),
      dialogLayer_(shell),
      dialogs_{dialogLayer_, std::make_shared<platform::qt::QtOwnerWindow>(form_)},
      ctx_{fs,
           shell,
           view_,
           std::move(createApplication),
           std::move(gather),
           std::move(arguments),
           [this] { centre(); }} {
    form_.onDrop = [this](const std::vector<std::string>& paths) {
        exclusively([&] { sub_OLEDragDrop(paths, state_, ctx_); });
    };
    QObject::connect(form_.cmd_run(), &QPushButton::clicked, &form_,
                     [this] { exclusively([this] { cmd_run_Click(state_, ctx_, dialogs_); }); });
    QObject::connect(form_.mnu_make(), &QAction::triggered, &form_,
                     [this] { exclusively([this] { mnu_make_Click(state_, ctx_, dialogs_); }); });
    QObject::connect(form_.mnu_version(), &QAction::triggered, &form_,
                     [this] { mnu_version_Click(view_, ctx_.fs); });
    QObject::connect(form_.mnu_help1(), &QAction::triggered, &form_,
                     [this] { mnu_help1_Click(view_); });
    QObject::connect(form_.mnu_help_予約語(), &QAction::triggered, &form_,
                     [this] { mnu_help_予約語_Click(view_, state_.prop_name); });
    // Ends the program without asking anything or closing the window first.
    QObject::connect(form_.mnu_end(), &QAction::triggered, &form_,
                     [] { QCoreApplication::quit(); });
}

StartupOutcome DesktopWindow::load() {
    StartupOutcome outcome = Form_Load(state_, ctx_);
    form_.setListFileName(state_.lbl_mokuji);
    return outcome;
}

StartupOutcome DesktopWindow::start() {
    if (!ctx_.arguments.empty()) {
        form_.setEnabled(false);
        form_.show();
    }
    // Under the one-run guard: the unattended run yields to the window's
    // events, and a failure in it must end the program, not the toolkit.
    StartupOutcome outcome = StartupOutcome::WaitForUser;
    exclusively([&] { outcome = load(); });
    if (failed_) return outcome;
    if (outcome == StartupOutcome::WaitForUser) {
        form_.setEnabled(true);
        form_.show();
    }
    return outcome;
}

void DesktopWindow::exclusively(const std::function<void()>& command) {
    if (busy_) return;
    busy_ = true;
    struct Release {
        bool& busy;
        ~Release() { busy = false; }
    } release{busy_};
    if (!RunTrapped(command, view_)) {
        failed_ = true;
        QCoreApplication::exit(kUntrappedFailureStatus);
    }
}

void DesktopWindow::centre() {
    const QScreen* screen = form_.screen();
    if (screen == nullptr) return;
    QRect place = form_.frameGeometry();
    place.moveCenter(screen->geometry().center());
    form_.move(place.topLeft());
}

}  // namespace mokuji::app
