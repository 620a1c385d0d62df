#pragma once

#include <QMainWindow>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QAction;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QLabel;
class QMenu;
class QMimeData;
class QPushButton;

namespace mokuji::qt {

// The program's only window: its controls and menus at their design
// places, knowing nothing of what they start. Whoever owns the window
// hands in what a drop and each menu item do.
class Form1_MAIN : public QMainWindow {
  public:
    Form1_MAIN();

    // The local files and folders of a drop, as UTF-8 paths in the order
    // delivered; never called for a drop without file names.
    std::function<void(const std::vector<std::string>&)> onDrop;

    QLabel* Image1() const { return image1_; }
    QLabel* Label1(int index) const { return label1_.at(static_cast<std::size_t>(index)); }
    QLabel* lbl_mokuji() const { return lblMokuji_; }
    QPushButton* cmd_run() const { return cmdRun_; }
    QMenu* mnu_file0() const { return mnuFile0_; }
    QAction* mnu_make() const { return mnuMake_; }
    QAction* mnu_version() const { return mnuVersion_; }
    QAction* mnu_end() const { return mnuEnd_; }
    QMenu* mnu_help0() const { return mnuHelp0_; }
    QAction* mnu_help1() const { return mnuHelp1_; }
    QAction* mnu_help_予約語() const { return mnuHelpReserved_; }

    // Shows the list file's name in its label, which sizes itself to it.
    void setListFileName(const std::string& name);

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void buildControls(QWidget* client);
    void buildMenus();

    QLabel* image1_ = nullptr;
    std::array<QLabel*, 2> label1_{};
    QLabel* lblMokuji_ = nullptr;
    QPushButton* cmdRun_ = nullptr;
    QMenu* mnuFile0_ = nullptr;
    QAction* mnuMake_ = nullptr;
    QAction* mnuVersion_ = nullptr;
    QAction* mnuEnd_ = nullptr;
    QMenu* mnuHelp0_ = nullptr;
    QAction* mnuHelp1_ = nullptr;
    QAction* mnuHelpReserved_ = nullptr;
};

// The local paths (UTF-8) that dropped data names, in its order; links to
// anything but local files and folders are left out.
std::vector<std::string> LocalPathsOf(const QMimeData& data);

// How a drop is taken from the actions its source allows: a copy, else a
// link, never a move; IgnoreAction when neither is allowed.
Qt::DropAction DropActionFor(Qt::DropActions possible);

}  // namespace mokuji::qt
