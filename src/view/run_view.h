#pragma once

#include <cstddef>
#include <string>

namespace mokuji::view {

// Screen-wide mouse pointer values.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// What a long step needs of the main window while it works: its caption,
// whether it takes input, the busy pointer, a chance to repaint, and message
// boxes. The window, a console and test doubles each provide it.
class RunView {
  public:
    virtual ~RunView() = default;
    virtual void setCaption(const std::string& caption) = 0;
    virtual std::string caption() const = 0;
    virtual void setEnabled(bool enabled) = 0;
    virtual void setMousePointer(int pointer) = 0;
    // Lets pending window events run once.
    virtual void doEvents() = 0;
    // A message box with the OK button only, no icon, the default title.
    // Multi-line texts end every line with CR LF.
    virtual void showMessage(const std::string& text) = 0;
    // Which workbook of how many is being read (counting from 1). A window
    // shows that in its caption already; a terminal may draw it otherwise.
    virtual void showProgress(std::size_t /*current*/, std::size_t /*total*/,
                              const std::string& /*workbook*/) {}
    // What a finished run did, for a view that leaves no list open before
    // the user's eyes to tell it.
    virtual void showSummary(const std::string& /*text*/) {}
};

}  // namespace mokuji::view
