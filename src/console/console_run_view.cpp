#include "console/console_run_view.h"

#include <ostream>

#include "console/terminal_line.h"
#include "os/name_text.h"

namespace mokuji::console {

ConsoleRunView::ConsoleRunView(std::ostream& out, int terminalColumns, bool verbose,
                               std::chrono::milliseconds redrawInterval)
    : out_(out), columns_(terminalColumns), verbose_(verbose), redrawInterval_(redrawInterval) {}

ConsoleRunView::~ConsoleRunView() {
    // The shell's prompt must not start on a half-drawn line.
    clearStatus();
}

void ConsoleRunView::setCaption(const std::string& caption) {
    caption_ = caption;
    if (columns_ <= 0) {
        // One write a line: standard error is unbuffered, and a run shows a
        // caption for every workbook.
        if (verbose_) out_ << "caption: " + os::TerminalLineText(caption) + '\n' << std::flush;
        return;
    }
    if (!reading_) drawStatus(os::TerminalLineText(caption));
}

void ConsoleRunView::showProgress(std::size_t current, std::size_t total,
                                  const std::string& workbook) {
    if (columns_ <= 0) return;
    const bool last = current >= total;
    reading_ = !last;
    const auto now = std::chrono::steady_clock::now();
    if (!last && current > 1 && now - lastDrawn_ < redrawInterval_) return;
    lastDrawn_ = now;
    drawStatus("[" + std::to_string(current) + "/" + std::to_string(total) + "] " +
               os::TerminalLineText(workbook));
}

void ConsoleRunView::showMessage(const std::string& text) {
    clearStatus();
    out_ << ConsoleText(text) << std::flush;
}

void ConsoleRunView::showSummary(const std::string& text) {
    clearStatus();
    out_ << ConsoleText(text) << std::flush;
}

void ConsoleRunView::drawStatus(const std::string& text) {
    // A line as wide as the terminal would move the cursor on to the next
    // one on some terminals, and a carriage return could not reach it.
    const std::string fitted = FitToColumns(text, columns_ - 1);
    const int width = DisplayColumns(fitted);
    std::string line = '\r' + fitted;
    // Blanks over what the longer line before left behind; no escape
    // sequence, so that every console understands it.
    if (width < statusColumns_) line.append(static_cast<std::size_t>(statusColumns_ - width), ' ');
    out_ << line << std::flush;
    statusColumns_ = width;
}

void ConsoleRunView::clearStatus() {
    if (statusColumns_ == 0) return;
    out_ << '\r' + std::string(static_cast<std::size_t>(statusColumns_), ' ') + '\r' << std::flush;
    statusColumns_ = 0;
}

std::string ConsoleText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    out = os::TerminalText(out);
    if (out.empty() || out.back() != '\n') out += '\n';
    return out;
}

}  // namespace mokuji::console
