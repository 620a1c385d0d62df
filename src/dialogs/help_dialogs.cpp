// The help dialogs of the wrapper (the classic and the compiled HTML help
// engine). mokuji itself calls neither: its help is a message of its own.
// They are kept because the wrapper offers the system's common dialogs
// whole, as one interface, and a front end that has a help file opens it
// from here; their tests keep them working meanwhile.

#include "dialogs/common_dialog.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "dialogs/dialog_error.h"
#include "dialogs/text_buffers.h"

namespace mokuji::dialogs {

namespace {

// A decimal number with optional sign, fraction and exponent, blanks around
// it allowed; anything else does not read as a number.
bool isDecimalNumber(const std::string& s) {
    std::size_t i = 0;
    auto digits = [&] {
        std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i;
        return i - start;
    };
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t mantissa = digits();
    if (i < s.size() && s[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == s.size();
}

}  // namespace

void cCommonDlg::ShowHelp() {
    if (HelpFile_.empty() || HelpCommand_ == 0) return;
    layer_.winHelp(ownerHandle(), HelpFile_, HelpCommand_, HelpContext_);
}

void cCommonDlg::ShowHtmlHelp() {
    if (HtmlHelpFile_.empty()) return;
    layer_.htmlHelp(ownerHandle(), HtmlHelpFile_, HtmlHelpCommand_, HtmlHelpContext_);
}

std::string cCommonDlg::HelpKey() const {
    return std::to_string(HelpKey_);
}

void cCommonDlg::HelpKey(const std::string& strNewHelpKey) {
    std::string text = trimBlanks(strNewHelpKey);
    if (!isDecimalNumber(text)) {
        throw DialogError(DialogError::Kind::TypeMismatch, "help key is not a number: " + text);
    }
    double rounded = std::nearbyint(std::strtod(text.c_str(), nullptr));  // halves to even
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        throw DialogError(DialogError::Kind::Overflow, "help key beyond 32 bits: " + text);
    }
    HelpKey_ = static_cast<std::int32_t>(rounded);
}

}  // namespace mokuji::dialogs
