#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

#include "view/run_view.h"

namespace mokuji::console {

// The run's window when there is none: captions and messages go to a text
// stream (standard error). There is nothing to disable, no pointer and no
// events to let run.
//
// Written to a file or a pipe (cron, a log), a run says what a person must
// know: its messages (each workbook skipped, with why) and the closing
// summary with the list's path; a caption a workbook, in a run over
// thousands, would bury them. Asked to be verbose, each caption is a line of
// its own too, prefixed "caption: ". On a terminal (terminalColumns > 0) one
// status line is redrawn in place instead, cut to the terminal's width so
// that it never wraps: the caption, and while workbooks are read which one
// of how many. Messages and the closing summary are written above it.
class ConsoleRunView : public view::RunView {
  public:
    // While workbooks are read their captions are left to the progress,
    // drawn at most this often: a terminal far away would otherwise slow a
    // run of thousands of small workbooks.
    static constexpr std::chrono::milliseconds kRedrawInterval{100};

    explicit ConsoleRunView(std::ostream& out, int terminalColumns = 0, bool verbose = false,
                            std::chrono::milliseconds redrawInterval = kRedrawInterval);
    ~ConsoleRunView() override;
    ConsoleRunView(const ConsoleRunView&) = delete;
    ConsoleRunView& operator=(const ConsoleRunView&) = delete;

    void setCaption(const std::string& caption) override;
    std::string caption() const override { return caption_; }
    void setEnabled(bool) override {}
    void setMousePointer(int) override {}
    void doEvents() override {}
    void showMessage(const std::string& text) override;
    void showProgress(std::size_t current, std::size_t total, const std::string& workbook) override;
    void showSummary(const std::string& text) override;

  private:
    void drawStatus(const std::string& text);
    void clearStatus();

    std::ostream& out_;
    const int columns_;
    const bool verbose_;
    std::string caption_;
    // How many columns the status line takes now; 0 when none is drawn.
    int statusColumns_ = 0;
    const std::chrono::milliseconds redrawInterval_;
    bool reading_ = false;
    std::chrono::steady_clock::time_point lastDrawn_{};
};

// Message text as a terminal shows it: CR LF line ends become plain
// newlines, the text ends in one, and what the terminal would take for a
// command is escaped (see TerminalText).
std::string ConsoleText(const std::string& text);

}  // namespace mokuji::console
