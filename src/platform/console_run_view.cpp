#include "platform/console_run_view.h"

#include <ostream>

#include "platform/name_text.h"

namespace mokuji::platform {

ConsoleRunView::ConsoleRunView(std::ostream& out) : out_(out) {}

void ConsoleRunView::setCaption(const std::string& caption) {
    caption_ = caption;
    // One write a line: standard error is unbuffered, and a run shows a
    // caption for every workbook.
    out_ << "caption: " + TerminalText(caption) + '\n' << std::flush;
}

void ConsoleRunView::showMessage(const std::string& text) {
    out_ << ConsoleText(text) << std::flush;
}

std::string ConsoleText(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    out = TerminalText(out);
    if (out.empty() || out.back() != '\n') out += '\n';
    return out;
}

}  // namespace mokuji::platform
