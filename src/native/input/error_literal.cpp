#include "native/input/error_literal.h"

#include <array>

#include "native/input/entry_text.h"
#include "native/text/ascii.h"

namespace xls::input {

namespace {

// Only the errors a .xls cell can hold; later versions' additions have no code here.
constexpr std::array<ErrorLiteral, 7> kErrors = {{{"#NULL!", 0x00},
                                                  {"#DIV/0!", 0x07},
                                                  {"#VALUE!", 0x0F},
                                                  {"#REF!", 0x17},
                                                  {"#NAME?", 0x1D},
                                                  {"#NUM!", 0x24},
                                                  {"#N/A", 0x2A}}};

}  // namespace

std::optional<ErrorLiteral> recogniseErrorLiteral(std::string_view entry) {
    for (const ErrorLiteral& e : kErrors)
        if (text::equalsIgnoringAsciiCase(entry, e.text)) return e;
    return std::nullopt;
}

}  // namespace xls::input
