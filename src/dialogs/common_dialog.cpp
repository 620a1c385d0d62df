#include "dialogs/common_dialog.h"

#include <cmath>
#include <filesystem>
#include <limits>
#include <system_error>

#include "dialogs/dialog_error.h"
#include "dialogs/filter_conversion.h"

namespace mokuji::dialogs {

namespace {

std::string currentDirectory() {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::current_path(ec);
    return ec ? std::string() : dir.string();
}

}  // namespace

cCommonDlg::cCommonDlg(DialogLayer& layer) : layer_(layer), InitDir_(currentDirectory()) {}

void cCommonDlg::Filter(std::string strNewFilter) {
    // The caller's text is kept even when its conversion overflows; the
    // dialogs then go on offering the previous filter.
    Filter_ = std::move(strNewFilter);
    ApiFilter_ = convertFilter(Filter_);
}

void cCommonDlg::Form(std::shared_ptr<OwnerWindow> NewForm) {
    Form_ = std::move(NewForm);
    if (!Form_) return;
    // The owner's font object is asked afresh for each attribute, so a font
    // that changes meanwhile is read as it is at each step.
    FontBold_ = Form_->font().bold;
    FontItalic_ = Form_->font().italic;
    FontName_ = Form_->font().name;
    double size = std::nearbyint(Form_->font().size);  // halves to even
    if (!(size >= std::numeric_limits<std::int16_t>::min() &&
          size <= std::numeric_limits<std::int16_t>::max())) {
        throw DialogError(DialogError::Kind::Overflow, "owner font size beyond 16 bits");
    }
    FontSize_ = static_cast<std::int16_t>(size);
    FontStrikethru_ = Form_->font().strikethru;
    FontUnderline_ = Form_->font().underline;
}

void cCommonDlg::Action(std::int16_t intNewAction) {
    Action_ = intNewAction;
    switch (intNewAction) {
        case 1:
            ShowOpen();
            break;
        case 2:
            ShowSave();
            break;
        case 3:
            ShowColor();
            break;
        case 4:
            ShowFont();
            break;
        case 5:
            ShowPrinter();
            break;
        case 6:
            ShowHelp();
            break;
        default:
            break;
    }
}

std::intptr_t cCommonDlg::ownerHandle() const {
    if (!Form_) throw DialogError(DialogError::Kind::NoOwner, "no owner window set");
    return Form_->windowHandle();
}

std::int32_t cCommonDlg::ownerPixelsPerInchY() const {
    if (!Form_) throw DialogError(DialogError::Kind::NoOwner, "no owner window set");
    return Form_->pixelsPerInchY();
}

}  // namespace mokuji::dialogs
