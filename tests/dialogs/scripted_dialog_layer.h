#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "dialogs/dialog_layer.h"
#include "dialogs/text_buffers.h"
#include "native/text/unicode.h"

namespace mokuji::dialogs::testing {

// A dialog layer that records every request as it arrived and answers with
// the next scripted reply. File answers write into the buffers the way the
// platform does, so leftovers of a proposed name stay visible to the class.
class ScriptedDialogLayer : public DialogLayer {
  public:
    static constexpr std::int32_t kBufferTooSmall = 0x3003;

    struct HelpCall {
        bool html;
        std::intptr_t owner;
        std::string file;
        std::int32_t command;
        std::int32_t data;
    };

    // A chosen file (or, for multiple selection, "folder\0name\0name\0")
    // and its title, with the offset of the (first) name; too long for the
    // buffer, it fails as the platform does.
    void choose(std::string chosen, std::string title = {}) {
        fileReplies.push_back([this, chosen, title](FileDialogRequest& r) -> std::int32_t {
            if (!writeOverStart(r.fileBuffer, chosen)) {
                error_ = kBufferTooSmall;
                return 0;
            }
            const std::size_t folderEnd = chosen.find('\0');
            const std::size_t nameStart =
                folderEnd != std::string::npos ? folderEnd + 1 : chosen.find_last_of("/\\") + 1;
            r.fileOffset =
                static_cast<std::int32_t>(xls::text::utf16Length(chosen.substr(0, nameStart)));
            writeOverStart(r.fileTitle, title);
            error_ = 0;
            return 1;
        });
    }
    // Any other answer, written into the request by the test.
    void answerFile(std::function<std::int32_t(FileDialogRequest&)> reply) {
        fileReplies.push_back(std::move(reply));
    }
    void cancelFile() {
        fileReplies.push_back([this](FileDialogRequest&) {
            error_ = 0;
            return 0;
        });
    }
    void failFile(std::int32_t result, std::int32_t code) {
        fileReplies.push_back([this, result, code](FileDialogRequest&) {
            error_ = code;
            return result;
        });
    }
    void answerColor(std::int32_t result, std::int32_t color, std::int32_t code = 0) {
        colorReplies.push_back([this, result, color, code](ColorRequest& r) {
            if (result != 0) r.color = color;
            error_ = code;
            return result;
        });
    }
    void answerFont(std::int32_t result, std::function<void(FontRequest&)> edit = {},
                    std::int32_t code = 0) {
        fontReplies.push_back([this, result, edit, code](FontRequest& r) {
            if (edit) edit(r);
            error_ = code;
            return result;
        });
    }
    void answerPrint(std::int32_t result, std::function<void(PrintRequest&)> edit = {},
                     std::int32_t code = 0) {
        printReplies.push_back([this, result, edit, code](PrintRequest& r) {
            if (edit) edit(r);
            error_ = code;
            return result;
        });
    }

    std::int32_t getOpenFileName(FileDialogRequest& request) override {
        opens.push_back(request);
        return play(fileReplies, request);
    }
    std::int32_t getSaveFileName(FileDialogRequest& request) override {
        saves.push_back(request);
        return play(fileReplies, request);
    }
    std::int32_t chooseColor(ColorRequest& request) override {
        colors.push_back(request);
        return play(colorReplies, request);
    }
    std::int32_t chooseFont(FontRequest& request) override {
        fonts.push_back(request);
        return play(fontReplies, request);
    }
    std::int32_t printDlg(PrintRequest& request) override {
        prints.push_back(request);
        return play(printReplies, request);
    }
    std::int32_t extendedError() override {
        ++extendedErrorCalls;
        return error_;
    }
    void winHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                 std::int32_t data) override {
        helps.push_back({false, owner, file, command, data});
    }
    void htmlHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                  std::int32_t data) override {
        helps.push_back({true, owner, file, command, data});
    }

    std::vector<FileDialogRequest> opens, saves;
    std::vector<ColorRequest> colors;
    std::vector<FontRequest> fonts;
    std::vector<PrintRequest> prints;
    std::vector<HelpCall> helps;
    int extendedErrorCalls = 0;

  private:
    template <typename Request>
    using Reply = std::function<std::int32_t(Request&)>;

    template <typename Request>
    static std::int32_t play(std::deque<Reply<Request>>& replies, Request& request) {
        if (replies.empty()) {
            ADD_FAILURE() << "dialog shown without a scripted answer";
            return 0;
        }
        Reply<Request> reply = std::move(replies.front());
        replies.pop_front();
        return reply(request);
    }

    std::deque<Reply<FileDialogRequest>> fileReplies;
    std::deque<Reply<ColorRequest>> colorReplies;
    std::deque<Reply<FontRequest>> fontReplies;
    std::deque<Reply<PrintRequest>> printReplies;
    std::int32_t error_ = 0;
};

// An owner window with a settable font and resolution; counts how often its
// font is asked for.
class FakeOwner : public OwnerWindow {
  public:
    std::intptr_t windowHandle() const override { return 0x1234; }
    std::int32_t pixelsPerInchY() const override { return dpi; }
    OwnerFont font() const override {
        ++fontCalls;
        return ownerFont;
    }

    std::int32_t dpi = 96;
    OwnerFont ownerFont;
    mutable int fontCalls = 0;
};

}  // namespace mokuji::dialogs::testing
