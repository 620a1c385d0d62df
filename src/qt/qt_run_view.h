#pragma once

#include <chrono>
#include <iosfwd>
#include <string>

#include "view/run_view.h"

class QWidget;

namespace mokuji::qt {

// The run shown in a window: the caption is its title, the busy pointer is
// the application's override cursor, messages are modal message boxes.
class QtRunView : public view::RunView {
  public:
    explicit QtRunView(QWidget& window);
    ~QtRunView() override;
    QtRunView(const QtRunView&) = delete;
    QtRunView& operator=(const QtRunView&) = delete;

    void setCaption(const std::string& caption) override;
    std::string caption() const override;
    void setEnabled(bool enabled) override;
    void setMousePointer(int pointer) override;
    void doEvents() override;
    void showMessage(const std::string& text) override;

    // For a run nobody may be watching: every message is written to echo
    // as well, and its box closes by itself after timeout.
    void setUnattended(std::ostream* echo, std::chrono::milliseconds timeout);

  private:
    QWidget& window_;
    std::ostream* echo_ = nullptr;
    std::chrono::milliseconds timeout_{0};
    // Qt stacks override cursors; the pointer is one value, so at most one
    // is set at a time.
    bool busy_ = false;
};

// Message text as a Qt label shows it: CR LF line ends become newlines.
std::string QtMessageText(const std::string& text);

}  // namespace mokuji::qt
