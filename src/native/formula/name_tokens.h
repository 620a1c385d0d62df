#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "native/formula/area.h"

namespace xls::formula {

// One 3-D reference of a name formula, still addressed through the
// EXTERNSHEET index the file uses.
struct SheetRef {
    std::uint16_t ixti = 0;
    Area area;
    bool singleCell = false;  // a tRef3d rather than a tArea3d
    bool deleted = false;     // tRefErr3d / tAreaErr3d: the cells are gone
    // Relative parts of the reference ($ missing in the text).
    bool firstRowRelative = false;
    bool firstColRelative = false;
    bool lastRowRelative = false;
    bool lastColRelative = false;
};

// A reference, or several joined by the union operator.
struct ReferenceList {
    std::vector<SheetRef> refs;
    bool parenthesised = false;
};

// The error codes of tErr, as their byte values.
struct ErrorConstant {
    std::uint8_t code = 0;
};

using NameConstant = std::variant<double, std::string, bool, ErrorConstant>;
using NameFormula = std::variant<ReferenceList, NameConstant>;

// Decodes the tokens (rgce, cce bytes) of a BIFF8 name formula when they
// are a reference, a union of references, or one constant. Anything else
// (functions, arithmetic, other names, tokens this decoder does not know,
// truncated or malformed bytes) gives nullopt. Never reads past rgce.
//
// Relative parts of a reference are offsets from the cell where the name is
// used; they are taken as seen from A1, so the stored numbers read as
// positions (wrapping like the application does).
std::optional<NameFormula> decodeNameFormula(std::span<const std::uint8_t> rgce,
                                             const Grid& grid = kBinaryGrid);

}  // namespace xls::formula
