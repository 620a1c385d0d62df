#include "qt/qt_run_view.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>
#include <ostream>

#include "console/console_run_view.h"

namespace mokuji::qt {

QtRunView::QtRunView(QWidget& window) : window_(window) {}

QtRunView::~QtRunView() {
    if (busy_) QApplication::restoreOverrideCursor();
}

void QtRunView::setCaption(const std::string& caption) {
    window_.setWindowTitle(QString::fromStdString(caption));
}

std::string QtRunView::caption() const {
    return window_.windowTitle().toStdString();
}

void QtRunView::setEnabled(bool enabled) {
    window_.setEnabled(enabled);
}

void QtRunView::setMousePointer(int pointer) {
    const bool busy = pointer == view::kPointerHourglass;
    if (busy == busy_) return;
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
    busy_ = busy;
}

void QtRunView::doEvents() {
    QCoreApplication::processEvents();
}

void QtRunView::showMessage(const std::string& text) {
    // No parent: a box owned by the disabled window would be disabled too,
    // and the unattended run can show its message while the window is.
    QMessageBox box(QMessageBox::NoIcon, QGuiApplication::applicationDisplayName(),
                    QString::fromStdString(QtMessageText(text)), QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    if (echo_ != nullptr) *echo_ << console::ConsoleText(text) << std::flush;
    if (timeout_.count() > 0) QTimer::singleShot(timeout_, &box, &QMessageBox::accept);
    box.exec();
}

void QtRunView::setUnattended(std::ostream* echo, std::chrono::milliseconds timeout) {
    echo_ = echo;
    timeout_ = timeout;
}

std::string QtMessageText(const std::string& text) {
    std::string shown;
    shown.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        shown += text[i];
    }
    return shown;
}

}  // namespace mokuji::qt
