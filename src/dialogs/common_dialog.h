#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "dialogs/dialog_layer.h"

namespace mokuji::dialogs {

// The system's file, colour, font, print and help dialogs behind plain
// properties and show operations. Outcomes are reported only through the
// status properties; the class shows no message of its own. Write-only
// properties have no getter on purpose: the dialogs' inputs are not meant
// to be read back. The program shows the file open dialog only; the
// others are offered whole for a front end that needs one.
class cCommonDlg {
  public:
    // InitDir starts as the process's current directory.
    explicit cCommonDlg(DialogLayer& layer);

    // File open and save.
    const std::string& Filter() const { return Filter_; }
    void Filter(std::string strNewFilter);
    void flags(std::int32_t lngNewFlags) { flags_ = lngNewFlags; }
    void DialogTitle(std::string strNewDialogTitle) { DialogTitle_ = std::move(strNewDialogTitle); }
    void ShowOpen();
    void ShowSave();
    void MaxFileSize(std::int32_t lngNewMaxFileSize) { MaxFileSize_ = lngNewMaxFileSize; }
    void InitDir(std::string strNewInitDir) { InitDir_ = std::move(strNewInitDir); }
    const std::string& FileName() const { return FileName_; }
    void FileName(std::string strNewFileName) { FileName_ = std::move(strNewFileName); }
    void FilterIndex(std::int16_t intNewFilterIndex) { FilterIndex_ = intNewFilterIndex; }
    void DefaultExt(std::string strNewDefaultExt) { DefaultExt_ = std::move(strNewDefaultExt); }
    void FileTitle(std::string strNewFileTitle) { FileTitle_ = std::move(strNewFileTitle); }

    // Colour.
    void ShowColor();
    std::int32_t Color() const { return Color_; }
    void Color(std::int32_t lngNewColor) { Color_ = lngNewColor; }

    // Font.
    void ShowFont();
    bool FontBold() const { return FontBold_; }
    void FontBold(bool blnNewFontBold) { FontBold_ = blnNewFontBold; }
    bool FontItalic() const { return FontItalic_; }
    void FontItalic(bool blnNewFontItalic) { FontItalic_ = blnNewFontItalic; }
    const std::string& FontName() const { return FontName_; }
    void FontName(std::string strNewFontName) { FontName_ = std::move(strNewFontName); }
    std::int16_t FontSize() const { return FontSize_; }
    void FontSize(std::int16_t intNewFontSize) { FontSize_ = intNewFontSize; }
    bool FontStrikethru() const { return FontStrikethru_; }
    void FontStrikethru(bool blnNewFontStrikethru) { FontStrikethru_ = blnNewFontStrikethru; }
    bool FontUnderline() const { return FontUnderline_; }
    void FontUnderline(bool blnNewFontUnderline) { FontUnderline_ = blnNewFontUnderline; }
    std::int32_t Max() const { return Max_; }
    void Max(std::int32_t lngNewMax) { Max_ = lngNewMax; }
    std::int32_t Min() const { return Min_; }
    void Min(std::int32_t lngNewMin) { Min_ = lngNewMin; }

    // Printer.
    void ShowPrinter();
    std::int32_t ToPage() const { return ToPage_; }
    void ToPage(std::int32_t lngNewToPage) { ToPage_ = lngNewToPage; }
    std::int32_t Copies() const { return Copies_; }
    void Copies(std::int32_t lngNewCopies) { Copies_ = lngNewCopies; }
    std::int32_t PrinterDefault() const { return PrinterDefault_; }
    void PrinterDefault(std::int32_t lngNewPrinterDefault) {
        PrinterDefault_ = lngNewPrinterDefault;
    }
    std::int32_t hdc() const { return hdc_; }
    void hdc(std::int32_t lngNewhDC) { hdc_ = lngNewhDC; }
    std::int32_t FromPage() const { return FromPage_; }
    void FromPage(std::int32_t lngNewFromPage) { FromPage_ = lngNewFromPage; }

    // Classic help engine.
    void ShowHelp();
    const std::string& HelpFile() const { return HelpFile_; }
    void HelpFile(std::string strNewHelpFile) { HelpFile_ = std::move(strNewHelpFile); }
    std::int32_t HelpCommand() const { return HelpCommand_; }
    void HelpCommand(std::int32_t lngNewHelpCommand) { HelpCommand_ = lngNewHelpCommand; }
    std::int32_t HelpContext() const { return HelpContext_; }
    void HelpContext(std::int32_t lngNewHelpContext) { HelpContext_ = lngNewHelpContext; }
    // Kept as a number: the text must read as one (else a type-mismatch
    // error, the old value kept) and comes back as decimal text.
    std::string HelpKey() const;
    void HelpKey(const std::string& strNewHelpKey);

    // Compiled HTML help engine.
    void ShowHtmlHelp();
    const std::string& HtmlHelpFile() const { return HtmlHelpFile_; }
    void HtmlHelpFile(std::string strNewHtmlHelpFile) {
        HtmlHelpFile_ = std::move(strNewHtmlHelpFile);
    }
    std::int32_t HtmlHelpCommand() const { return HtmlHelpCommand_; }
    void HtmlHelpCommand(std::int32_t lngNewHtmlHelpCommand) {
        HtmlHelpCommand_ = lngNewHtmlHelpCommand;
    }
    std::int32_t HtmlHelpContext() const { return HtmlHelpContext_; }
    void HtmlHelpContext(std::int32_t lngNewHtmlHelpContext) {
        HtmlHelpContext_ = lngNewHtmlHelpContext;
    }
    const std::string& HtmlHelpKey() const { return HtmlHelpKey_; }
    void HtmlHelpKey(std::string strNewHtmlHelpKey) { HtmlHelpKey_ = std::move(strNewHtmlHelpKey); }

    // Owner window; setting it also loads the font properties from its font.
    const std::shared_ptr<OwnerWindow>& Form() const { return Form_; }
    void Form(std::shared_ptr<OwnerWindow> NewForm);

    // Status.
    bool CancelError() const { return CancelError_; }
    void CancelError(bool blnNewCancelErr) { CancelError_ = blnNewCancelErr; }
    std::int16_t Action() const { return Action_; }
    // Stores the number, then shows the dialog it names (1 open, 2 save,
    // 3 colour, 4 font, 5 printer, 6 help); other numbers are only stored.
    void Action(std::int16_t intNewAction);
    bool CancelButton() const { return CancelButton_; }
    std::string ErrDescription() const;
    std::int32_t ErrNumber() const { return ErrNumber_; }

  private:
    void ShowFileDialog(std::int16_t kind);
    std::intptr_t ownerHandle() const;
    std::int32_t ownerPixelsPerInchY() const;

    DialogLayer& layer_;

    std::string HtmlHelpFile_;
    std::int32_t HtmlHelpCommand_ = 0;
    std::int32_t HtmlHelpContext_ = 0;
    std::string HtmlHelpKey_;
    std::shared_ptr<OwnerWindow> Form_;
    std::int32_t ApiResult_ = 0;
    std::int32_t ErrNumber_ = 0;
    bool CancelButton_ = false;
    std::int16_t Action_ = 0;
    bool CancelError_ = false;
    std::string ApiFilter_{"All Files (*.*)\0*.*\0", 20};
    std::string Filter_;
    std::int32_t MaxFileSize_ = 255;
    std::string DialogTitle_ = "Open File";
    std::string InitDir_;
    std::string FileName_;
    std::int16_t FilterIndex_ = 0;
    std::int32_t flags_ = 0;
    std::string DefaultExt_{"\0", 1};
    std::string FileTitle_ = std::string(254, ' ');
    std::int32_t Color_ = 0;
    bool FontBold_ = false;
    bool FontItalic_ = false;
    std::string FontName_;
    std::int16_t FontSize_ = 0;
    bool FontStrikethru_ = false;
    bool FontUnderline_ = false;
    std::int32_t Max_ = 0;
    std::int32_t Min_ = 0;
    std::int32_t hdc_ = 0;
    std::int32_t FromPage_ = 0;
    std::int32_t ToPage_ = 0;
    std::int32_t Copies_ = 0;
    std::int32_t PrinterDefault_ = 0;
    std::string HelpFile_;
    std::int32_t HelpCommand_ = 0;
    std::int32_t HelpContext_ = 0;
    std::int32_t HelpKey_ = 0;
};

}  // namespace mokuji::dialogs
