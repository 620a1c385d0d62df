#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "native/formula/area.h"

namespace xls::formula {

// Maps an EXTERNSHEET index to the first and last internal sheet it spans;
// nullopt for another workbook, an add-in, or a deleted sheet.
using SheetRangeOfXti =
    std::function<std::optional<std::pair<std::int32_t, std::int32_t>>(std::uint16_t ixti)>;

// The areas a BIFF8 name formula refers to: one 3-D reference or area, or a
// union of them (as print areas and titles are stored). Empty when the name
// is no range: constants, deleted references, functions, arithmetic,
// references to other workbooks, malformed tokens. rgce holds the formula's
// cce bytes only.
std::vector<SheetArea> nameFormulaAreas(std::span<const std::uint8_t> rgce,
                                        const SheetRangeOfXti& sheetRange);

// The A1 text of a name formula as the application shows it in RefersTo:
// "=Sheet1!$B$2", "='My Sheet'!$A$1:$C$3", "=Sheet1!#REF!", "=#REF!", or
// a constant ("=12.5", "=\"abc\"", "=TRUE"). "" when the formula is
// anything else or names a sheet missing from sheetNames.
std::string nameFormulaText(std::span<const std::uint8_t> rgce, const SheetRangeOfXti& sheetRange,
                            const std::vector<std::string>& sheetNames);

}  // namespace xls::formula
