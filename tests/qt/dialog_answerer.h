#pragma once

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <functional>

// Answers the file dialogs that open while it lives, one scripted answer
// each, and notes what each offered; a dialog beyond the script is
// cancelled, so no test waits for a person.
class DialogAnswerer {
  public:
    using Answer = std::function<void(QFileDialog&)>;

    DialogAnswerer() {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }

    void then(Answer answer) { answers_.push_back(std::move(answer)); }
    void cancel() {
        then([](QFileDialog& dialog) { dialog.reject(); });
    }
    // Goes to a folder, when one is given, types a text into the name field
    // and presses Return, as a user does. (Japanese text cannot be typed key
    // by key in Qt's tests; it is set whole.)
    void type(const QString& text, const QString& folder = {}) {
        then([text, folder](QFileDialog& dialog) {
            if (!folder.isEmpty()) dialog.setDirectory(folder);
            auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            // Typing happens in the focused field: only then does the
            // dialog let go of the file it was preset with.
            QApplication::setActiveWindow(&dialog);
            name->setFocus(Qt::OtherFocusReason);
            name->setText(text);
            QTest::keyClick(name, Qt::Key_Return);
        });
    }

    struct Seen {
        QString title;
        QString folder;
        QString presetName;
        QStringList filters;
    };
    QList<Seen> seen;

  private:
    void poll() {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) return;
        seen.push_back({dialog->windowTitle(), dialog->directory().absolutePath(),
                        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text(),
                        dialog->nameFilters()});
        if (answers_.isEmpty()) {
            dialog->reject();
            return;
        }
        answers_.takeFirst()(*dialog);
    }

    QList<Answer> answers_;
    QTimer timer_;
};
