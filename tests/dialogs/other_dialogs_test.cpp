#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "dialogs/common_dialog.h"
#include "dialogs/dialog_error.h"
#include "dialogs/scripted_dialog_layer.h"

namespace mokuji::dialogs {
namespace {

using namespace std::string_literals;
using testing::FakeOwner;
using testing::ScriptedDialogLayer;

class DialogTest : public ::testing::Test {
  protected:
    DialogTest() : dlg(layer) { dlg.Form(owner); }

    ScriptedDialogLayer layer;
    std::shared_ptr<FakeOwner> owner = std::make_shared<FakeOwner>();
    cCommonDlg dlg;
};

TEST(OwnerWindow, SettingItLoadsEachFontAttributeAfresh) {
    ScriptedDialogLayer layer;
    cCommonDlg dlg(layer);
    auto owner = std::make_shared<FakeOwner>();
    owner->ownerFont = {true, true, "ＭＳ ゴシック", 10.5, true, false};
    dlg.Form(owner);
    EXPECT_EQ(owner->fontCalls, 6);
    EXPECT_TRUE(dlg.FontBold());
    EXPECT_TRUE(dlg.FontItalic());
    EXPECT_EQ(dlg.FontName(), "ＭＳ ゴシック");
    EXPECT_EQ(dlg.FontSize(), 10);  // halves go to the even point
    EXPECT_TRUE(dlg.FontStrikethru());
    EXPECT_FALSE(dlg.FontUnderline());
    owner->ownerFont.size = 11.5;
    dlg.Form(owner);
    EXPECT_EQ(dlg.FontSize(), 12);
}

TEST_F(DialogTest, ColourDialogStartsWhiteAndKeepsTheColourOnCancel) {
    dlg.Color(0x00112233);
    dlg.flags(0x3);
    layer.answerColor(0, 0x00FF0000);
    dlg.ShowColor();
    EXPECT_EQ(dlg.Color(), 0x00112233);
    EXPECT_TRUE(dlg.CancelButton());
    EXPECT_EQ(dlg.ErrNumber(), 0);

    layer.answerColor(1, 0x00FF0000);
    dlg.ShowColor();
    EXPECT_EQ(dlg.Color(), 0x00FF0000);
    EXPECT_FALSE(dlg.CancelButton());
    for (const ColorRequest& r : layer.colors) {
        EXPECT_EQ(r.flags, 0x3);
        for (std::int32_t c : r.customColors) EXPECT_EQ(c, 0x00FFFFFF);
    }
    EXPECT_EQ(layer.colors[1].color, 0x00112233);

    layer.answerColor(0, 0, 0xFFFF);  // a failure sets both, whatever CancelError says
    dlg.ShowColor();
    EXPECT_EQ(dlg.ErrNumber(), 0xFFFF);
    EXPECT_TRUE(dlg.CancelButton());
    EXPECT_EQ(dlg.Action(), 0);
}

TEST_F(DialogTest, ColourAndFontDialogsRaiseFaults) {
    dlg.Form(nullptr);
    EXPECT_THROW(dlg.ShowColor(), DialogError);
    EXPECT_THROW(dlg.ShowFont(), DialogError);
    owner->dpi = 0;
    dlg.Form(owner);
    dlg.FontSize(12);
    EXPECT_THROW(dlg.ShowFont(), DialogError);
    EXPECT_TRUE(layer.colors.empty());
    EXPECT_TRUE(layer.fonts.empty());
}

TEST_F(DialogTest, FontSizeGoesInAsACellHeightAndComesBackInPoints) {
    struct Case {
        std::int16_t size;
        std::int32_t heightIn;
        std::int32_t heightBack;
        std::int16_t sizeBack;
    };
    for (const Case& c : {Case{12, 16, -16, 12}, Case{12, 16, 16, 12}, Case{10, 13, 13, 10},
                          Case{-12, -16, -16, 12}}) {
        dlg.FontSize(c.size);
        layer.answerFont(1, [&](FontRequest& r) { r.font.height = c.heightBack; });
        dlg.ShowFont();
        EXPECT_EQ(layer.fonts.back().font.height, c.heightIn) << c.size;
        EXPECT_EQ(dlg.FontSize(), c.sizeBack) << c.size;
    }
}

TEST_F(DialogTest, FontDialogRequestAndResult) {
    dlg.FontBold(true);
    dlg.FontUnderline(true);
    dlg.FontName(std::string(40, 'F'));
    dlg.flags(0x101);
    dlg.Color(0x000000FF);
    dlg.Min(8);
    dlg.Max(72);
    layer.answerFont(1, [](FontRequest& r) {
        r.font.weight = 500;
        r.font.italic = 1;
        r.font.underline = 0;
        r.font.faceName = "明朝\0\0\0"s;
        r.color = 0x00FF00;
    });
    dlg.ShowFont();
    const FontRequest& r = layer.fonts.at(0);
    EXPECT_EQ(r.flags, 0x141);
    EXPECT_EQ(r.font.weight, 700);
    EXPECT_EQ(r.font.underline, 1);
    EXPECT_EQ(r.font.italic, 0);
    EXPECT_EQ(r.font.faceName, std::string(32, 'F'));
    EXPECT_EQ(r.color, 0x0000FF);
    EXPECT_EQ(r.sizeMin, 8);
    EXPECT_EQ(r.sizeMax, 72);
    EXPECT_TRUE(dlg.FontBold());
    EXPECT_TRUE(dlg.FontItalic());
    EXPECT_FALSE(dlg.FontUnderline());
    EXPECT_EQ(dlg.FontName(), "明朝");
    EXPECT_EQ(dlg.Color(), 0x00FF00);
    EXPECT_FALSE(dlg.CancelButton());

    layer.answerFont(1, [](FontRequest& r) { r.font.weight = 400; });
    dlg.ShowFont();
    EXPECT_FALSE(dlg.FontBold());
}

TEST_F(DialogTest, CancelledFontDialogClearsTheFontAndColour) {
    dlg.FontBold(true);
    dlg.FontItalic(true);
    dlg.FontName("Arial");
    dlg.FontSize(12);
    dlg.FontStrikethru(true);
    dlg.FontUnderline(true);
    dlg.Color(0x123456);
    dlg.CancelError(false);
    layer.answerFont(0, {}, 0x2001);
    dlg.ShowFont();
    EXPECT_FALSE(dlg.FontBold() || dlg.FontItalic() || dlg.FontStrikethru() || dlg.FontUnderline());
    EXPECT_EQ(dlg.FontName(), "");
    EXPECT_EQ(dlg.FontSize(), 0);
    EXPECT_EQ(dlg.Color(), 0);
    EXPECT_TRUE(dlg.CancelButton());
    EXPECT_EQ(dlg.ErrNumber(), 0x2001);
}

TEST_F(DialogTest, PrinterPassesPagesIn16BitsAndReadsThemBack) {
    dlg.FromPage(2);
    dlg.ToPage(5);
    dlg.Min(1);
    dlg.Max(9);
    dlg.Copies(1);
    dlg.hdc(77);
    layer.answerPrint(1, [](PrintRequest& r) {
        r.fromPage = 3;
        r.toPage = -4;
        r.copies = 2;
        r.hdc = 99;
    });
    dlg.Action(5);
    const PrintRequest& r = layer.prints.at(0);
    EXPECT_EQ(r.fromPage, 2);
    EXPECT_EQ(r.maxPage, 9);
    EXPECT_EQ(r.hdc, 77);
    EXPECT_EQ(dlg.FromPage(), 3);
    EXPECT_EQ(dlg.ToPage(), -4);
    EXPECT_EQ(dlg.Copies(), 2);
    EXPECT_EQ(dlg.Max(), 9);
    EXPECT_EQ(dlg.hdc(), 77);
}

TEST_F(DialogTest, PrinterStatusRules) {
    dlg.FromPage(40000);
    EXPECT_NO_THROW(dlg.ShowPrinter());
    EXPECT_TRUE(layer.prints.empty());
    EXPECT_EQ(dlg.Action(), 5);

    dlg.FromPage(1);
    layer.answerPrint(0);
    dlg.ShowPrinter();
    EXPECT_FALSE(dlg.CancelButton());
    dlg.CancelError(true);
    layer.answerPrint(0);
    dlg.ShowPrinter();
    EXPECT_TRUE(dlg.CancelButton());
    EXPECT_EQ(layer.extendedErrorCalls, 0);

    layer.answerPrint(3, {}, 0x1008);
    dlg.ShowPrinter();
    EXPECT_EQ(dlg.ErrNumber(), 0x1008);
    EXPECT_EQ(dlg.ErrDescription(), "通常使うプリンタが設定されていません。");
}

TEST_F(DialogTest, HelpEnginesAreCalledOnlyWithAFileAndForClassicHelpACommand) {
    dlg.HelpFile("a.hlp");
    dlg.ShowHelp();
    dlg.HelpFile("");
    dlg.HelpCommand(3);
    dlg.ShowHelp();
    EXPECT_TRUE(layer.helps.empty());

    dlg.HelpFile("a.hlp");
    dlg.HelpContext(42);
    dlg.HelpKey("7");
    dlg.ShowHelp();
    dlg.ShowHtmlHelp();  // no file yet
    dlg.HtmlHelpFile("b.chm");
    dlg.ShowHtmlHelp();  // a command of 0 is still passed
    ASSERT_EQ(layer.helps.size(), 2u);
    EXPECT_FALSE(layer.helps[0].html);
    EXPECT_EQ(layer.helps[0].file, "a.hlp");
    EXPECT_EQ(layer.helps[0].command, 3);
    EXPECT_EQ(layer.helps[0].data, 42);
    EXPECT_EQ(layer.helps[0].owner, 0x1234);
    EXPECT_TRUE(layer.helps[1].html);
    EXPECT_EQ(layer.helps[1].command, 0);
    EXPECT_EQ(dlg.Action(), 0);

    dlg.Action(6);
    EXPECT_EQ(layer.helps.size(), 3u);
}

TEST_F(DialogTest, HelpKeyIsKeptAsANumber) {
    dlg.HelpKey("12");
    EXPECT_EQ(dlg.HelpKey(), "12");
    dlg.HelpKey(" -3.5 ");
    EXPECT_EQ(dlg.HelpKey(), "-4");
    for (const char* bad : {"", "abc", "12a", "1e", "."}) {
        EXPECT_THROW(dlg.HelpKey(bad), DialogError) << bad;
    }
    EXPECT_THROW(dlg.HelpKey("3000000000"), DialogError);
    EXPECT_EQ(dlg.HelpKey(), "-4");
}

}  // namespace
}  // namespace mokuji::dialogs
