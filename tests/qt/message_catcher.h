#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

// Answers every message box that opens while it lives: keeps its text, checks
// it is a plain OK box, and presses OK, so that no test waits for a person.
class MessageCatcher {
  public:
    MessageCatcher() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    QStringList texts;
    // Boxes that had an icon or a button besides OK.
    int oddBoxes = 0;

  private:
    void poll() {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        texts << box->text();
        if (box->icon() != QMessageBox::NoIcon || box->standardButtons() != QMessageBox::Ok) {
            ++oddBoxes;
        }
        box->button(QMessageBox::Ok)->click();
    }

    QTimer timer_;
};
