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

// The formula bytes (cce only) of the workbook's own NAME record number
// index, counted from 1 in file order; empty when there is no such name.
using FormulaOfName = std::function<std::span<const std::uint8_t>(std::uint32_t index)>;

// Whether an EXTERNSHEET index stands for the workbook itself. A tNameX
// through such an index names one of the workbook's own NAME records; through
// any other it names an EXTERNNAME of a link, which has no range here.
using IsOwnWorkbook = std::function<bool(std::uint16_t ixti)>;

// What a name formula needs from its workbook. A missing callback resolves
// nothing of its kind.
struct NameFormulaContext {
    SheetRangeOfXti sheetRange;
    FormulaOfName formulaOfName;
    IsOwnWorkbook ownWorkbook;
    // The grid of the workbook: a column past it makes a reference none.
    Grid grid = kBinaryGrid;
};

// The areas a BIFF8 name formula refers to, as the application's
// RefersToRange has them: 3-D references and other defined names joined by
// the union (","), intersection (" ") and range (":") operators, in
// parentheses or tMem* wrappers. An intersection keeps the overlaps of every
// pair of areas; the range operator gives the one rectangle around both
// sides. Empty when the name is no range: constants, deleted references,
// functions, arithmetic, references to other workbooks, areas of different
// sheets meeting in an intersection or range, an empty intersection, names
// that refer to themselves or nest too deeply, malformed tokens. rgce holds
// the formula's cce bytes only.
std::vector<SheetArea> nameFormulaAreas(std::span<const std::uint8_t> rgce,
                                        const NameFormulaContext& context);

// The same for a formula whose workbook resolves no other names.
std::vector<SheetArea> nameFormulaAreas(std::span<const std::uint8_t> rgce,
                                        const SheetRangeOfXti& sheetRange);

// The A1 text of a name formula as the application shows it in RefersTo:
// "=Sheet1!$B$2", "='My Sheet'!$A$1:$C$3", "=Sheet1!#REF!", "=#REF!", or
// a constant ("=12.5", "=\"abc\"", "=TRUE"). "" when the formula is
// anything else or names a sheet missing from sheetNames.
std::string nameFormulaText(std::span<const std::uint8_t> rgce, const SheetRangeOfXti& sheetRange,
                            const std::vector<std::string>& sheetNames,
                            const Grid& grid = kBinaryGrid);

}  // namespace xls::formula
