#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

#include "dialogs/common_dialog.h"
#include "dialogs/dialog_error.h"
#include "dialogs/filter_conversion.h"
#include "dialogs/scripted_dialog_layer.h"
#include "native/text/unicode.h"

namespace mokuji::dialogs {
namespace {

using namespace std::string_literals;
using testing::FakeOwner;
using testing::ScriptedDialogLayer;

class FileDialogTest : public ::testing::Test {
  protected:
    FileDialogTest() : dlg(layer) { dlg.Form(owner); }

    ScriptedDialogLayer layer;
    std::shared_ptr<FakeOwner> owner = std::make_shared<FakeOwner>();
    cCommonDlg dlg;
};

TEST(FilterConversion, BarsBecomeNulsClosedByOneNul) {
    EXPECT_EQ(convertFilter("A|*.a"), "A\0*.a\0"s);
    EXPECT_EQ(convertFilter("A|*.a|"), "A\0*.a\0"s);
    EXPECT_EQ(convertFilter(""), "\0"s);
    EXPECT_EQ(convertFilter(std::string(32767, 'x')).size(), 32768u);
    // Counted in UTF-16 units: 16,384 characters outside the BMP are 32,768.
    std::string astral;
    for (int i = 0; i < 16384; ++i) astral += "\xF0\x9F\x98\x80";
    EXPECT_THROW(convertFilter(astral), DialogError);
}

TEST(FilterConversion, PairsEndAtTheFirstEmptyText) {
    using Pairs = std::vector<std::pair<std::string, std::string>>;
    EXPECT_EQ(filterPairs("A\0*.a\0B\0*.b\0"s), (Pairs{{"A", "*.a"}, {"B", "*.b"}}));
    EXPECT_EQ(filterPairs("A\0*.a\0\0B\0*.b\0"s), (Pairs{{"A", "*.a"}}));
    EXPECT_EQ(filterPairs("A\0*.a\0B\0"s), (Pairs{{"A", "*.a"}}));
    EXPECT_TRUE(filterPairs("\0"s).empty());
}

TEST_F(FileDialogTest, NewObjectOffersAllFilesWithAnEmptyFilter) {
    EXPECT_EQ(dlg.Filter(), "");
    layer.cancelFile();
    dlg.ShowOpen();
    ASSERT_EQ(layer.opens.size(), 1u);
    const FileDialogRequest& r = layer.opens[0];
    EXPECT_EQ(r.filter, "All Files (*.*)\0*.*\0"s);
    EXPECT_EQ(r.owner, 0x1234);
    EXPECT_EQ(r.title, "Open File");
    EXPECT_EQ(r.initialDir, std::filesystem::current_path().string());
    EXPECT_EQ(r.defaultExt, "\0"s);
    EXPECT_EQ(r.fileBuffer, std::string(255, '\0'));
    EXPECT_EQ(r.fileBufferSize, 255);
    EXPECT_EQ(r.fileTitle, std::string(254, ' ') + '\0');
    EXPECT_EQ(r.fileTitleSize, 255);
}

TEST_F(FileDialogTest, ListFileChoiceRequestReachesTheDialogAsGiven) {
    dlg.DialogTitle("目次ファイル読込");
    dlg.Filter("目次ファイル (00_目次.xls)|00_目次.xls|EXCEL Files (*.xls)|*.xls");
    dlg.FilterIndex(-1);
    dlg.flags(0x280A04);
    dlg.InitDir("C:\\data");
    dlg.DefaultExt("xls");
    layer.cancelFile();
    dlg.ShowOpen();
    const FileDialogRequest& r = layer.opens.at(0);
    EXPECT_EQ(dlg.Filter(), "目次ファイル (00_目次.xls)|00_目次.xls|EXCEL Files (*.xls)|*.xls");
    EXPECT_EQ(r.filter,
              "目次ファイル (00_目次.xls)\0"
              "00_目次.xls\0EXCEL Files (*.xls)\0*.xls\0"s);
    EXPECT_EQ(r.filterIndex, -1);
    EXPECT_EQ(r.flags, 0x280A04);
    EXPECT_EQ(r.title, "目次ファイル読込");
    EXPECT_EQ(r.initialDir, "C:\\data");
    EXPECT_EQ(r.defaultExt, "xls");
    EXPECT_EQ(dlg.Action(), 1);
}

TEST_F(FileDialogTest, OverflowingFilterIsKeptButTheDialogsKeepTheOldOne) {
    dlg.Filter("A|*.a");
    std::string huge(40000, 'x');
    EXPECT_THROW(dlg.Filter(huge), DialogError);
    EXPECT_EQ(dlg.Filter(), huge);
    layer.cancelFile();
    dlg.ShowSave();
    EXPECT_EQ(layer.saves.at(0).filter, "A\0*.a\0"s);
}

TEST_F(FileDialogTest, ProposedNameIsCutInUtf16UnitsToFitTheBuffer) {
    dlg.MaxFileSize(5);
    dlg.FileName("目次\xF0\x9F\x98\x80xyz");  // 2 + 2 + 3 units
    layer.cancelFile();
    dlg.ShowOpen();
    const FileDialogRequest& r = layer.opens.at(0);
    EXPECT_EQ(r.fileBufferSize, 5);
    EXPECT_EQ(xls::text::utf16Length(r.fileBuffer), 5u);
    EXPECT_EQ(r.fileBuffer, "目次\xF0\x9F\x98\x80\0"s);

    dlg.MaxFileSize(4);  // the cut splits the pair; one unit stands in for it
    layer.cancelFile();
    dlg.ShowOpen();
    EXPECT_EQ(xls::text::utf16Length(layer.opens.at(1).fileBuffer), 4u);
    EXPECT_EQ(layer.opens.at(1).fileBuffer.substr(0, 6), "目次");
}

TEST_F(FileDialogTest, ChosenFileGivesFullPathAndTitleKeepsTheBlanksBeforeItsNul) {
    dlg.FileName("00_目次.xls");
    layer.choose("C:\\data\\00_目次.xls", "00_目次.xls");
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "C:\\data\\00_目次.xls");
    EXPECT_FALSE(dlg.CancelButton());
    EXPECT_EQ(dlg.ErrNumber(), 0);

    // The title buffer comes back as written over 254 blanks; only its
    // NUL-closed end stops the trim, so the next call passes it all again.
    layer.cancelFile();
    dlg.ShowOpen();
    std::string expected = "00_目次.xls\0"s + std::string(254 - 10, ' ') + "\0\0"s;
    EXPECT_EQ(layer.opens.at(1).fileTitle, expected);
    EXPECT_EQ(layer.opens.at(1).fileTitleSize, 256);
}

TEST_F(FileDialogTest, MultipleSelectionKeepsFolderAndNamesSeparatedByNul) {
    dlg.flags(0x280A04);
    layer.choose("C:\\data\0a.xls\0b.xls\0c.xls\0"s, "");
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "C:\\data\0a.xls\0b.xls\0c.xls"s);
}

TEST_F(FileDialogTest, AChoiceComesBackAloneWhateverThePresetLeftInTheBuffer) {
    // The dialog writes over the start of the buffer; a longer preset's tail
    // stays behind the chosen name's NUL and must not join the answer.
    struct Case {
        std::string preset, chosen, expected;
    };
    for (const Case& c : {
             Case{"/data/回答/00_目次.xls", "/data/a.xls", "/data/a.xls"},
             Case{"C:\\data\\00_目次.xls", "C:\\x\\a.xls", "C:\\x\\a.xls"},
             Case{"abcdefghij", "x.xls", "x.xls"},
             Case{"/data/回答/00_目次.xls", "/d\0a.xls\0b.xls\0"s, "/d\0a.xls\0b.xls"s},
         }) {
        ScriptedDialogLayer l;
        cCommonDlg d(l);
        d.Form(owner);
        d.flags(0x280A04);
        d.FileName(c.preset);
        l.choose(c.chosen);
        d.ShowOpen();
        EXPECT_EQ(d.FileName(), c.expected) << c.preset;
    }
}

TEST_F(FileDialogTest, CancelIsFlaggedOnlyWithCancelError) {
    dlg.FileName("keep.xls");
    layer.cancelFile();
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "keep.xls");
    EXPECT_FALSE(dlg.CancelButton());

    dlg.CancelError(true);
    layer.cancelFile();
    dlg.ShowOpen();
    EXPECT_TRUE(dlg.CancelButton());
    EXPECT_EQ(dlg.FileName(), "");
    EXPECT_EQ(dlg.ErrNumber(), 0);

    // Nothing but a colour or font dialog clears the flag again.
    layer.choose("C:\\a.xls");
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "C:\\a.xls");
    EXPECT_TRUE(dlg.CancelButton());
}

TEST_F(FileDialogTest, FaultsEndTheDialogQuietly) {
    dlg.MaxFileSize(0);
    EXPECT_NO_THROW(dlg.ShowOpen());
    EXPECT_TRUE(layer.opens.empty());
    EXPECT_EQ(dlg.Action(), 1);

    dlg.MaxFileSize(255);
    dlg.Form(nullptr);
    EXPECT_NO_THROW(dlg.ShowSave());
    EXPECT_TRUE(layer.saves.empty());
    EXPECT_EQ(dlg.ErrNumber(), 0);
    EXPECT_EQ(dlg.Action(), 2);
}

TEST_F(FileDialogTest, BufferWithoutAnEndIsKeptWholeAndTitleUnchanged) {
    dlg.MaxFileSize(6);
    layer.answerFile([](FileDialogRequest& r) {
        r.fileBuffer = "abcdef";
        r.fileTitle = "t";
        return 1;
    });
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "abcdef");
    layer.cancelFile();
    dlg.ShowOpen();
    EXPECT_EQ(layer.opens.at(1).fileTitle, std::string(254, ' ') + '\0');
}

TEST_F(FileDialogTest, ActionShowsTheNumberedDialogOrOnlyStores) {
    layer.cancelFile();
    dlg.Action(2);
    EXPECT_EQ(layer.saves.size(), 1u);
    dlg.Action(7);
    EXPECT_EQ(dlg.Action(), 7);
    EXPECT_EQ(layer.opens.size() + layer.saves.size() + layer.colors.size(), 1u);
}

// A failure, or a cancel that says why, keeps the name, fetches the
// extended error and describes it; the next dialog starts with a clean error.
TEST_F(FileDialogTest, AFailureKeepsTheNameAndDescribesItsExtendedError) {
    struct Case {
        std::int32_t result, code;
        const char* text;
    };
    for (const Case& c : {
             Case{2, 0, "未知のｴﾗｰです。"},
             Case{0, ScriptedDialogLayer::kBufferTooSmall,
                  "メンバ lpstrFile が指すバッファが小さすぎます。"},
             Case{2, 0x3002, "ファイル名が無効です。"},
             Case{2, 0x2001, "フォントが存在しません。"},
             Case{2, 0x1000,
                  "PDReturnDefault フラグが設定されていますが、hDevMode フィールドまたは "
                  "hDevNames フィールドが 0 ではありません。"},
             Case{2, 0xFFFF, "関数がダイアログ ボックスをロードできません。"},
             Case{2, 0x0003, "未知のｴﾗｰです。"},
             Case{2, 0x12345, "未知のｴﾗｰです。"},
         }) {
        dlg.FileName("keep");
        layer.failFile(c.result, c.code);
        dlg.ShowSave();
        EXPECT_EQ(dlg.FileName(), "keep") << std::hex << c.code;
        EXPECT_EQ(dlg.ErrNumber(), c.code) << std::hex << c.code;
        EXPECT_EQ(dlg.ErrDescription(), c.text) << std::hex << c.code;
        EXPECT_EQ(dlg.Action(), 2);
        layer.cancelFile();
        dlg.ShowSave();
        EXPECT_EQ(dlg.ErrNumber(), 0);
    }
    // A choice longer than the buffer is refused by the dialog itself.
    dlg.MaxFileSize(8);
    layer.choose("C:\\data\\long.xls");
    dlg.ShowOpen();
    EXPECT_EQ(dlg.FileName(), "keep");
    EXPECT_EQ(dlg.ErrNumber(), ScriptedDialogLayer::kBufferTooSmall);
}

}  // namespace
}  // namespace mokuji::dialogs
