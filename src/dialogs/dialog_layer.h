#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace mokuji::dialogs {

// The owner's font as the window reports it; size in points, possibly
// fractional.
struct OwnerFont {
    bool bold = false;
    bool italic = false;
    std::string name;
    double size = 0;
    bool strikethru = false;
    bool underline = false;
};

// The window that owns every dialog of a cCommonDlg.
class OwnerWindow {
  public:
    virtual ~OwnerWindow() = default;
    virtual std::intptr_t windowHandle() const = 0;
    // Pixels per logical inch along the vertical axis of its device context.
    virtual std::int32_t pixelsPerInchY() const = 0;
    virtual OwnerFont font() const = 0;
};

// One request of a file open or save dialog, already in the platform's
// shape. Texts are UTF-8 and may hold NULs; sizes count UTF-16 units.
// The layer writes the chosen text into fileBuffer and fileTitle the way the
// platform writes into its buffers: over their start, ending in one NUL,
// leaving the rest of each buffer as it was.
struct FileDialogRequest {
    std::intptr_t owner = 0;
    std::string filter;  // description, NUL, pattern, NUL, ...
    std::int32_t filterIndex = 0;
    std::string fileBuffer;
    std::int32_t fileBufferSize = 0;
    // Where the chosen name begins in fileBuffer, in UTF-16 units, as the
    // dialog reports it. After a multiple selection the unit before it is
    // the NUL that ends the folder; after one file it is not, and the
    // buffer beyond that file's NUL may still hold the proposed name's tail.
    std::int32_t fileOffset = 0;
    std::string fileTitle;
    std::int32_t fileTitleSize = 0;
    std::string initialDir;
    std::string title;
    std::int32_t flags = 0;
    std::string defaultExt;
};

// The platform's option bits the single caller passes, named for tests and
// for the layer built on a toolkit.
inline constexpr std::int32_t kOfnAllowMultiSelect = 0x200;
inline constexpr std::int32_t kCfInitToLogFontStruct = 0x40;

struct ColorRequest {
    std::intptr_t owner = 0;
    std::int32_t color = 0;  // 0x00BBGGRR, in and out
    std::array<std::int32_t, 16> customColors{};
    std::int32_t flags = 0;
};

// The platform's font description; faceName is its 32-unit buffer.
struct LogFont {
    std::int32_t height = 0;
    std::int32_t width = 0;
    std::int32_t escapement = 0;
    std::int32_t orientation = 0;
    std::int32_t weight = 0;
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strikeOut = 0;
    std::string faceName;
};

struct FontRequest {
    std::intptr_t owner = 0;
    LogFont font;  // in and out
    std::int32_t flags = 0;
    std::int32_t color = 0;  // in and out
    std::int32_t sizeMin = 0;
    std::int32_t sizeMax = 0;
};

struct PrintRequest {
    std::intptr_t owner = 0;
    std::int32_t hdc = 0;
    std::int32_t flags = 0;
    std::int16_t fromPage = 0;  // the five page and copy members: in and out
    std::int16_t toPage = 0;
    std::int16_t minPage = 0;
    std::int16_t maxPage = 0;
    std::int16_t copies = 0;
};

// The system dialogs and help engines, with the platform's conventions: a
// dialog returns nonzero when the user confirmed and 0 when cancelled or
// failed; extendedError() then tells which (0 for a plain cancel).
class DialogLayer {
  public:
    virtual ~DialogLayer() = default;
    virtual std::int32_t getOpenFileName(FileDialogRequest& request) = 0;
    virtual std::int32_t getSaveFileName(FileDialogRequest& request) = 0;
    virtual std::int32_t chooseColor(ColorRequest& request) = 0;
    virtual std::int32_t chooseFont(FontRequest& request) = 0;
    virtual std::int32_t printDlg(PrintRequest& request) = 0;
    virtual std::int32_t extendedError() = 0;
    virtual void winHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                         std::int32_t data) = 0;
    virtual void htmlHelp(std::intptr_t owner, const std::string& file, std::int32_t command,
                          std::int32_t data) = 0;
};

}  // namespace mokuji::dialogs
