#pragma once

#include <functional>
#include <string>
#include <vector>

#include "view/run_view.h"

namespace fake {

// Records what a run did to the window, in order.
class RecordingView : public mokuji::view::RunView {
  public:
    void setCaption(const std::string& c) override {
        caption_ = c;
        captions.push_back(c);
        events.push_back("caption:" + c);
        if (onCaption) onCaption(c);
    }
    std::string caption() const override { return caption_; }
    void setEnabled(bool e) override {
        enabled = e;
        events.push_back(e ? "enable" : "disable");
    }
    void setMousePointer(int p) override {
        pointer = p;
        events.push_back("pointer:" + std::to_string(p));
    }
    void doEvents() override {
        ++yields;
        events.push_back("yield");
    }
    void showMessage(const std::string& text) override {
        messages.push_back(text);
        events.push_back("message");
    }

    // A run names each workbook in the caption just before reading it: the
    // moment to change the file under it.
    std::function<void(const std::string&)> onCaption;

    bool enabled = true;
    int pointer = 0;
    int yields = 0;
    std::vector<std::string> captions;
    std::vector<std::string> messages;
    std::vector<std::string> events;

  private:
    std::string caption_;
};

}  // namespace fake
