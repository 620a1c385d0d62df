// The file dialog layer over the system's own GetOpenFileNameW, answered by
// the test: what lands in the request's buffers, within their sizes.

#include "win32/win32_dialog_layer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cderr.h>

#include "dialog_watcher.h"
#include "dialogs/text_buffers.h"
#include "native/text/unicode.h"
#include "support/temp_folder.h"

namespace {

bool displayAvailable() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                                 nullptr);
    if (probe == nullptr) return false;
    DestroyWindow(probe);
    return true;
}

mokuji::dialogs::FileDialogRequest openRequest(const std::string& folder, std::int32_t size) {
    mokuji::dialogs::FileDialogRequest request;
    static constexpr char kFilter[] = "EXCEL Files (*.xls)\0*.xls\0すべて\0*.*\0";
    request.filter = std::string(kFilter, sizeof(kFilter) - 1);
    request.filterIndex = 2;
    request.fileBuffer = mokuji::dialogs::nulPaddedBuffer("", static_cast<std::size_t>(size));
    request.fileBufferSize = size;
    request.fileTitle = std::string(254, ' ') + '\0';
    request.fileTitleSize = 255;
    request.initialDir = folder;
    request.title = "ブックの選択";
    request.flags = 0x280A04;  // multiple selection, explorer style
    request.defaultExt = std::string(1, '\0');
    return request;
}

}  // namespace

class Win32DialogLayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!displayAvailable()) GTEST_SKIP() << "no display";
        folder_ = root_.file("受付 済み");
        std::filesystem::create_directory(fake::utf8Path(folder_));
        root_.write("受付 済み\\ア.xls", "x");
        root_.write("受付 済み\\b.xls", "x");
    }

    fake::TempFolder root_;
    std::string folder_;
    mokuji::win32::Win32DialogLayer layer_;
};

TEST_F(Win32DialogLayerTest, SeveralChosenFilesComeBackAsFolderAndNamesWithinTheBuffer) {
    auto request = openRequest(folder_, 120);
    fake::DialogWatcher watcher;
    watcher.type("\"ア.xls\" \"b.xls\"");
    ASSERT_EQ(layer_.getOpenFileName(request), 1);
    EXPECT_EQ(layer_.extendedError(), 0);

    const auto seen = watcher.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, "ブックの選択");
    // Written over the start of the buffer, which keeps its size in
    // characters; the rest is the NULs it held.
    const std::string chosen = folder_ + '\0' + "ア.xls" + '\0' + "b.xls" + '\0' + '\0';
    EXPECT_EQ(xls::text::utf16Length(request.fileBuffer), 120u);
    EXPECT_EQ(request.fileBuffer, chosen + std::string(120 - xls::text::utf16Length(chosen), '\0'));
    // The first name begins after the folder's NUL: that tells several
    // files from one.
    EXPECT_EQ(request.fileOffset, static_cast<std::int32_t>(xls::text::utf16Length(folder_) + 1));
    EXPECT_FALSE(watcher.lingered());
}

TEST_F(Win32DialogLayerTest, ACancelAndAChoiceBeyondTheBufferBothReturnNothing) {
    auto request = openRequest(folder_, 24);
    request.fileBuffer = mokuji::dialogs::nulPaddedBuffer("b.xls", 24);
    const std::string before = request.fileBuffer;
    fake::DialogWatcher watcher;
    watcher.cancel();
    EXPECT_EQ(layer_.getOpenFileName(request), 0);
    EXPECT_EQ(layer_.extendedError(), 0);
    EXPECT_EQ(request.fileBuffer, before);

    // The full path does not fit 24 characters: the system refuses the
    // choice and says why.
    watcher.type(folder_ + "\\b.xls");
    EXPECT_EQ(layer_.getOpenFileName(request), 0);
    EXPECT_EQ(layer_.extendedError(), FNERR_BUFFERTOOSMALL);
    EXPECT_EQ(xls::text::utf16Length(request.fileBuffer), 24u);
    EXPECT_EQ(watcher.seen().size(), 2u);
    EXPECT_FALSE(watcher.lingered());
}

TEST_F(Win32DialogLayerTest, SaveAddsTheDefaultExtensionAndTheOtherDialogsCancelCleanly) {
    auto request = openRequest(folder_, 260);
    request.flags = 0x80000;  // explorer style
    request.defaultExt = "xls";
    request.title = "名前を付けて保存";
    fake::DialogWatcher watcher;
    watcher.type("新しい目次");
    ASSERT_EQ(layer_.getSaveFileName(request), 1);
    const std::string saved = folder_ + "\\新しい目次.xls";
    EXPECT_EQ(request.fileBuffer.substr(0, saved.size() + 1), saved + '\0');
    EXPECT_EQ(request.fileOffset,
              static_cast<std::int32_t>(xls::text::utf16Length(folder_ + "\\")));

    // A cancelled colour dialog leaves what it was given; a cancelled font
    // dialog is no failure (what it leaves in the description is the
    // system's business: Wine's writes its own choice there).
    watcher.cancel();
    mokuji::dialogs::ColorRequest colour;
    colour.color = 0x00336699;
    colour.flags = 0x1;  // CC_RGBINIT
    EXPECT_EQ(layer_.chooseColor(colour), 0);
    EXPECT_EQ(layer_.extendedError(), 0);
    EXPECT_EQ(colour.color, 0x00336699);

    watcher.cancel();
    mokuji::dialogs::FontRequest font;
    font.font.faceName = "IPAGothic";
    font.font.height = -12;
    font.flags = 0x41;  // screen fonts, from the description given
    EXPECT_EQ(layer_.chooseFont(font), 0);
    EXPECT_EQ(layer_.extendedError(), 0);
    EXPECT_EQ(watcher.seen().size(), 3u);
    EXPECT_FALSE(watcher.lingered());
}
