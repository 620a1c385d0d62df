#include "qt/qt_dialog_layer.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QWidget>
#include <cmath>

#include "dialogs/text_buffers.h"
#include "qt/file_chooser.h"

namespace mokuji::qt {

namespace {

constexpr std::int32_t kFnErrBufferTooSmall = 0x3003;
constexpr std::int32_t kHelpQuit = 2;
constexpr std::int32_t kHtmlHelpCloseAll = 0x12;
// The platform's face name buffer holds 31 units and a NUL.
constexpr std::size_t kFaceNameUnits = 31;

QColor colorOf(std::int32_t bgr) {
    return {bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF};
}

std::int32_t bgrOf(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

int dpiOf(const QWidget* owner) {
    return owner != nullptr ? owner->logicalDpiY() : 96;
}

// A height below 0 is the characters' height in pixels, above 0 the cell's;
// either way the nearest point size is taken.
QFont fontOf(const dialogs::LogFont& lf, int dpi) {
    QFont font(QString::fromStdString(lf.faceName.substr(0, lf.faceName.find('\0'))));
    if (lf.height != 0) {
        font.setPointSizeF(std::max(1.0, std::abs(lf.height) * 72.0 / dpi));
    }
    if (lf.weight > 0) font.setWeight(static_cast<QFont::Weight>(std::clamp(lf.weight, 1, 1000)));
    font.setItalic(lf.italic != 0);
    font.setUnderline(lf.underline != 0);
    font.setStrikeOut(lf.strikeOut != 0);
    return font;
}

void writeFont(const QFont& font, int dpi, dialogs::LogFont& lf) {
    lf.height = -static_cast<std::int32_t>(std::lround(font.pointSizeF() * dpi / 72.0));
    lf.width = 0;
    lf.weight = font.weight();
    lf.italic = font.italic() ? 1 : 0;
    lf.underline = font.underline() ? 1 : 0;
    lf.strikeOut = font.strikeOut() ? 1 : 0;
    lf.faceName = dialogs::cutToUnits(font.family().toStdString(), kFaceNameUnits);
}

}  // namespace

QWidget* WidgetOfHandle(std::intptr_t handle) {
    if (handle == 0) return nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (HandleOf(*widget) == handle) return widget;
    }
    return nullptr;
}

std::intptr_t HandleOf(const QWidget& widget) {
    return reinterpret_cast<std::intptr_t>(&widget);
}

std::int32_t QtOwnerWindow::pixelsPerInchY() const {
    return window_.logicalDpiY();
}

dialogs::OwnerFont QtOwnerWindow::font() const {
    const QFont font = window_.font();
    return {font.bold(),       font.italic(),    font.family().toStdString(),
            font.pointSizeF(), font.strikeOut(), font.underline()};
}

QtDialogLayer::QtDialogLayer(os::Shell& shell) : shell_(shell) {}

std::int32_t QtDialogLayer::getOpenFileName(dialogs::FileDialogRequest& request) {
    return fileDialog(request, false);
}

std::int32_t QtDialogLayer::getSaveFileName(dialogs::FileDialogRequest& request) {
    return fileDialog(request, true);
}

std::int32_t QtDialogLayer::fileDialog(dialogs::FileDialogRequest& request, bool save) {
    lastError_ = 0;
    FileChooser chooser(WidgetOfHandle(request.owner), request, save);
    if (chooser.exec() != QDialog::Accepted) return 0;
    request.filterIndex = chooser.filterIndex();
    if (!WriteChoice(chooser.selectedFiles(), request)) {
        lastError_ = kFnErrBufferTooSmall;
        return 0;
    }
    return 1;
}

std::int32_t QtDialogLayer::chooseColor(dialogs::ColorRequest& request) {
    lastError_ = 0;
    for (int i = 0; i < static_cast<int>(request.customColors.size()); ++i) {
        QColorDialog::setCustomColor(i, colorOf(request.customColors[static_cast<std::size_t>(i)]));
    }
    QColorDialog dialog(colorOf(request.color), WidgetOfHandle(request.owner));
    const bool chosen = dialog.exec() == QDialog::Accepted;
    // The custom colours are the dialog's own; they come back either way.
    for (int i = 0; i < static_cast<int>(request.customColors.size()); ++i) {
        request.customColors[static_cast<std::size_t>(i)] = bgrOf(QColorDialog::customColor(i));
    }
    if (!chosen) return 0;
    request.color = bgrOf(dialog.selectedColor());
    return 1;
}

std::int32_t QtDialogLayer::chooseFont(dialogs::FontRequest& request) {
    lastError_ = 0;
    QWidget* owner = WidgetOfHandle(request.owner);
    const int dpi = dpiOf(owner);
    QFontDialog dialog(fontOf(request.font, dpi), owner);
    if (dialog.exec() != QDialog::Accepted) return 0;
    writeFont(dialog.selectedFont(), dpi, request.font);
    return 1;
}

std::int32_t QtDialogLayer::printDlg(dialogs::PrintRequest& request) {
    lastError_ = 0;
    QPrinter printer;
    if (request.copies > 0) printer.setCopyCount(request.copies);
    if (request.fromPage > 0 && request.toPage >= request.fromPage) {
        printer.setFromTo(request.fromPage, request.toPage);
    }
    QPrintDialog dialog(&printer, WidgetOfHandle(request.owner));
    if (request.maxPage >= request.minPage && request.maxPage > 0) {
        dialog.setMinMax(request.minPage, request.maxPage);
    }
    if (dialog.exec() != QDialog::Accepted) return 0;
    request.fromPage = static_cast<std::int16_t>(printer.fromPage());
    request.toPage = static_cast<std::int16_t>(printer.toPage());
    request.copies = static_cast<std::int16_t>(printer.copyCount());
    // No device context exists here to hand back.
    request.hdc = 0;
    return 1;
}

void QtDialogLayer::winHelp(std::intptr_t, const std::string& file, std::int32_t command,
                            std::int32_t) {
    if (command != kHelpQuit) openHelpFile(file);
}

void QtDialogLayer::htmlHelp(std::intptr_t, const std::string& file, std::int32_t command,
                             std::int32_t) {
    if (command != kHtmlHelpCloseAll) openHelpFile(file);
}

void QtDialogLayer::openHelpFile(const std::string& file) {
    if (file.empty()) return;
    // A help file named with a topic ("file.chm::/topic.htm") opens whole.
    const std::string path = file.substr(0, file.find("::"));
    shell_.openDocument(path, QFileInfo(QString::fromStdString(path)).absolutePath().toStdString());
}

}  // namespace mokuji::qt
