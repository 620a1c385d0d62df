// The colour, font and printer dialogs of the wrapper. mokuji itself calls
// none of them: its only dialog is the one that opens a list file. They are
// kept because the wrapper offers the system's common dialogs whole, as one
// interface (a caller sets properties, shows a dialog and reads the outcome
// back), and a front end that needs a colour, a font or a printer takes it
// from here; their tests keep them working meanwhile.

#include "dialogs/common_dialog.h"

#include <cmath>
#include <cstdlib>
#include <exception>
#include <limits>

#include "dialogs/dialog_error.h"
#include "dialogs/text_buffers.h"

namespace mokuji::dialogs {

namespace {

constexpr std::int32_t kWhite = 0x00FFFFFF;
constexpr std::size_t kFaceNameUnits = 32;

// Points per pixel of the owner's screen; a resolution of 0 is a fault the
// caller sees, as the font dialog has no error trap.
double pointsPerPixel(std::int32_t pixelsPerInch) {
    if (pixelsPerInch == 0) {
        throw DialogError(DialogError::Kind::DivisionByZero, "owner reports 0 pixels per inch");
    }
    return 72.0 / pixelsPerInch;
}

template <typename Int>
Int roundInto(double value, const char* what) {
    double rounded = std::nearbyint(value);  // halves to even
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
        throw DialogError(DialogError::Kind::Overflow, what);
    }
    return static_cast<Int>(rounded);
}

std::int16_t narrow16(std::int32_t value) {
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        throw DialogError(DialogError::Kind::Overflow, "print value beyond 16 bits");
    }
    return static_cast<std::int16_t>(value);
}

}  // namespace

void cCommonDlg::ShowColor() {
    ColorRequest request;
    // Colours the user adds to the custom boxes are deliberately not kept:
    // every dialog starts with white ones.
    request.customColors.fill(kWhite);
    request.owner = ownerHandle();
    request.color = Color_;
    request.flags = flags_;

    ApiResult_ = layer_.chooseColor(request);
    if (ApiResult_ != 0) {
        CancelButton_ = false;
    } else {
        ErrNumber_ = layer_.extendedError();
        CancelButton_ = true;
    }
    Color_ = request.color;
}

void cCommonDlg::ShowFont() {
    FontRequest request;
    LogFont& font = request.font;
    font.weight = FontBold_ ? 700 : 400;
    font.italic = FontItalic_ ? 1 : 0;
    font.underline = FontUnderline_ ? 1 : 0;
    font.strikeOut = FontStrikethru_ ? 1 : 0;
    font.faceName = cutToUnits(FontName_ + std::string(kFaceNameUnits, '\0'), kFaceNameUnits);
    // The size goes in with its own sign, so the dialog reads a positive
    // height as a cell height rather than a character height.
    font.height =
        roundInto<std::int32_t>(FontSize_ / pointsPerPixel(ownerPixelsPerInchY()), "font height");

    request.owner = ownerHandle();
    request.flags = flags_ | kCfInitToLogFontStruct;
    request.color = Color_;
    request.sizeMin = Min_;
    request.sizeMax = Max_;

    if (layer_.chooseFont(request) == 0) {
        ErrNumber_ = layer_.extendedError();
        CancelButton_ = true;
    } else {
        CancelButton_ = false;
    }

    if (CancelButton_) {
        FontBold_ = false;
        FontItalic_ = false;
        FontName_.clear();
        FontSize_ = 0;
        FontStrikethru_ = false;
        FontUnderline_ = false;
        Color_ = 0;
        return;
    }
    FontBold_ = font.weight >= 500;
    FontItalic_ = font.italic != 0;
    FontName_ = font.faceName.substr(0, font.faceName.find('\0'));
    FontSize_ = roundInto<std::int16_t>(
        std::abs(static_cast<double>(font.height)) * pointsPerPixel(ownerPixelsPerInchY()),
        "font size beyond 16 bits");
    FontStrikethru_ = font.strikeOut != 0;
    Color_ = request.color;
    FontUnderline_ = font.underline != 0;
}

void cCommonDlg::ShowPrinter() {
    // As with the file dialogs, a fault ends the operation quietly: a page
    // number beyond 16 bits means no dialog at all.
    try {
        Action_ = 5;
        ApiResult_ = 0;
        ErrNumber_ = 0;

        PrintRequest request;
        request.owner = ownerHandle();
        request.hdc = hdc_;
        request.flags = flags_;
        request.fromPage = narrow16(FromPage_);
        request.toPage = narrow16(ToPage_);
        request.minPage = narrow16(Min_);
        request.maxPage = narrow16(Max_);
        request.copies = narrow16(Copies_);

        ApiResult_ = layer_.printDlg(request);
        if (ApiResult_ == 0) {
            if (CancelError_) CancelButton_ = true;
        } else if (ApiResult_ == 1) {
            FromPage_ = request.fromPage;
            ToPage_ = request.toPage;
            Min_ = request.minPage;
            Max_ = request.maxPage;
            Copies_ = request.copies;
        } else {
            ErrNumber_ = layer_.extendedError();
        }
    } catch (const std::exception&) {
    }
}

}  // namespace mokuji::dialogs
