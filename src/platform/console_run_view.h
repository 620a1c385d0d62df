#pragma once

#include <iosfwd>
#include <string>

#include "platform/run_view.h"

namespace mokuji::platform {

// The run's window when there is none: captions and messages go to a text
// stream (standard error), one caption a line, prefixed "caption: ". There
// is nothing to disable, no pointer and no events to let run.
class ConsoleRunView : public RunView {
  public:
    explicit ConsoleRunView(std::ostream& out);

    void setCaption(const std::string& caption) override;
    std::string caption() const override { return caption_; }
    void setEnabled(bool) override {}
    void setMousePointer(int) override {}
    void doEvents() override {}
    void showMessage(const std::string& text) override;

  private:
    std::ostream& out_;
    std::string caption_;
};

// Message text as a terminal shows it: CR LF line ends become plain
// newlines, the text ends in one, and what the terminal would take for a
// command is escaped (see TerminalText).
std::string ConsoleText(const std::string& text);

}  // namespace mokuji::platform
