#include "native/input/error_literal.h"

#include <array>

#include "native/biff/worksheet.h"
#include "native/input/entry_text.h"
#include "native/text/ascii.h"

namespace xls::input {

namespace {

// Only the errors a .xls cell can hold; later versions' additions have no code here.
constexpr std::array<std::uint8_t, 7> kErrorCodes = {0x00, 0x07, 0x0F, 0x17, 0x1D, 0x24, 0x2A};

}  // namespace

std::optional<ErrorLiteral> recogniseErrorLiteral(std::string_view entry) {
    for (const std::uint8_t code : kErrorCodes) {
        const std::string_view text = biff::cellErrorText(code);
        if (text::equalsIgnoringAsciiCase(entry, text)) return ErrorLiteral{text, code};
    }
    return std::nullopt;
}

}  // namespace xls::input
