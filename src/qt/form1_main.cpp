#include "qt/form1_main.h"

#include <QAction>
#include <QColor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFont>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QUrl>
#include <algorithm>

#include "ui/text.h"

namespace mokuji::qt {

namespace {

// Design lengths are twips; the window is laid out for 15 twips a pixel.
constexpr int kTwipsPerPixel = 15;

QRect fromTwips(int left, int top, int width, int height) {
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
}

const QColor kPaleYellow(255, 255, 192);

QLabel* placedLabel(QWidget* parent, const char* name, const char* text, const QRect& place) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(place);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The design heights were made for another font; a text is never cut,
    // so a label grows downwards when its text needs more lines.
    label->resize(place.width(), std::max(place.height(), label->heightForWidth(place.width())));
    return label;
}

QAction* namedAction(QMenu* menu, const char* name, const char* text) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromUtf8(name));
    return action;
}

}  // namespace

Form1_MAIN::Form1_MAIN() {
    setObjectName("Form1_MAIN");
    // One Japanese font for every machine, so that the texts wrap alike;
    // the build machines install it.
    QFont font(QStringLiteral("IPAGothic"));
    font.setPointSize(9);
    setFont(font);

    auto* client = new QWidget(this);
    client->setObjectName("client");
    client->setFixedSize(7905 / kTwipsPerPixel, 5040 / kTwipsPerPixel);
    client->setAutoFillBackground(true);
    QPalette palette = client->palette();
    palette.setColor(QPalette::Window, kPaleYellow);
    // The picture is drawn on the same pale yellow, so where it ends the
    // colour goes on unbroken.
    palette.setBrush(QPalette::Window, QBrush(kPaleYellow, QPixmap(":/art/background.png")));
    client->setPalette(palette);
    setWindowIcon(QIcon(":/art/icon.png"));
    setCentralWidget(client);

    buildControls(client);
    buildMenus();

    // Children take no drops themselves, so Qt hands theirs to the window.
    setAcceptDrops(true);
    // The layout is fixed: the window is never resized.
    setFixedSize(sizeHint());
}

void Form1_MAIN::buildControls(QWidget* client) {
    image1_ = placedLabel(client, "Image1", "", fromTwips(135, 90, 345, 345));
    image1_->setPixmap(QPixmap(":/art/image1.png"));
    label1_[0] =
        placedLabel(client, "Label1_0",
                    ui::Text("複数のEXCELﾌｧｲﾙの共通部分(名前部分)を集め、EXCELの一覧表にする。"),
                    fromTwips(4320, 495, 3300, 375));
    lblMokuji_ = placedLabel(client, "lbl_mokuji", ui::Text("目次ファイル名"),
                             fromTwips(4365, 1215, 1155, 180));
    lblMokuji_->setWordWrap(false);
    lblMokuji_->adjustSize();
    label1_[1] = placedLabel(client, "Label1_1",
                             ui::Text("ここに集計したいEXCELﾌｧｲﾙをドラッグドロップしてください"),
                             fromTwips(360, 3465, 2400, 375));
    // Its own plain colour, not the window's picture, which would start
    // again at the label's corner.
    QPalette plain = label1_[1]->palette();
    plain.setColor(QPalette::Window, kPaleYellow);
    label1_[1]->setPalette(plain);
    label1_[1]->setAutoFillBackground(true);

    cmdRun_ = new QPushButton(QString::fromUtf8(ui::Text("目次ファイル作成")), client);
    cmdRun_->setObjectName("cmd_run");
    cmdRun_->setGeometry(fromTwips(4365, 3960, 3255, 555));
}

void Form1_MAIN::buildMenus() {
    mnuFile0_ = menuBar()->addMenu(QString::fromUtf8(ui::Text("ﾌｧｲﾙ(&F)")));
    mnuFile0_->setObjectName("mnu_file0");
    mnuMake_ = namedAction(mnuFile0_, "mnu_make", ui::Text("目次ファイル作成"));
    mnuFile0_->addSeparator()->setObjectName("mnu_file_bar");
    mnuVersion_ = namedAction(mnuFile0_, "mnu_version", ui::Text("バージョン"));
    mnuEnd_ = namedAction(mnuFile0_, "mnu_end", ui::Text("終了"));

    mnuHelp0_ = menuBar()->addMenu(QString::fromUtf8(ui::Text("ヘルプ")));
    mnuHelp0_->setObjectName("mnu_help0");
    mnuHelp1_ = namedAction(mnuHelp0_, "mnu_help1", ui::Text("ヘルプ"));
    mnuHelpReserved_ = namedAction(mnuHelp0_, "mnu_help_予約語", ui::Text("名前の予約語"));
}

void Form1_MAIN::setListFileName(const std::string& name) {
    lblMokuji_->setText(QString::fromStdString(name));
    lblMokuji_->adjustSize();
}

namespace {

// A drop only names a folder, so the source's files must stay where they
// are: a file manager told "move" may delete what was dropped. The answer
// is a copy or a link, whatever the source proposes.
bool takeAsCopyOrLink(QDropEvent& event) {
    const Qt::DropAction action = DropActionFor(event.possibleActions());
    if (action == Qt::IgnoreAction || LocalPathsOf(*event.mimeData()).empty()) return false;
    event.setDropAction(action);
    event.accept();
    return true;
}

}  // namespace

void Form1_MAIN::dragEnterEvent(QDragEnterEvent* event) {
    takeAsCopyOrLink(*event);
}

void Form1_MAIN::dragMoveEvent(QDragMoveEvent* event) {
    takeAsCopyOrLink(*event);
}

void Form1_MAIN::dropEvent(QDropEvent* event) {
    if (!takeAsCopyOrLink(*event)) return;
    if (onDrop) onDrop(LocalPathsOf(*event->mimeData()));
}

Qt::DropAction DropActionFor(Qt::DropActions possible) {
    if (possible & Qt::CopyAction) return Qt::CopyAction;
    if (possible & Qt::LinkAction) return Qt::LinkAction;
    return Qt::IgnoreAction;
}

std::vector<std::string> LocalPathsOf(const QMimeData& data) {
    std::vector<std::string> paths;
    if (!data.hasUrls()) return paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
    }
    return paths;
}

}  // namespace mokuji::qt
