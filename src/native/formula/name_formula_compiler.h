#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "native/formula/area.h"

namespace xls::formula {

// What compiling a name's text needs from its workbook.
struct NameCompileContext {
    // The EXTERNSHEET index standing for the workbook's own sheets first to
    // last (the same name twice for one sheet); nullopt when there are no
    // such sheets.
    std::function<std::optional<std::uint16_t>(std::string_view first, std::string_view last)>
        sheets;
    // The 1-based position of another defined name among the workbook's
    // names; nullopt when there is none.
    std::function<std::optional<std::uint32_t>(std::string_view name)> name;
    // The sheet (as sheets takes it) and area of a table's part: specifier
    // is what stands in its brackets ("Column", "#All", "#Data",
    // "#Headers", "[#Data],[Column]"; "" for the bare table name, its data).
    // Nullopt when there is no such table or part.
    struct TableArea {
        std::string sheet;
        Area area;
    };
    std::function<std::optional<TableArea>(std::string_view table, std::string_view specifier)>
        table;
    // The grid references are read in. The tokens hold rows up to the .xls
    // grid's last whatever it is: an area running past it ends there.
    Grid grid = kBinaryGrid;
};

// The BIFF8 tokens of a defined name stored as text, as zip-based workbooks
// store them: "Sheet1!$B$2", "'My Sheet'!$A$1:$C$3", "Sheet1:Sheet3!A1",
// "Sheet1!$A:$A", "Sheet1!#REF!", "#REF!", another name, or a union of these
// ("Sheet1!$A$1,Sheet1!$B$2", parentheses allowed), so that such names
// resolve exactly as the names of a binary workbook. An area that runs to
// the end of the larger grid ends at the end of the .xls grid. Nullopt for
// anything else (constants, functions, references into other workbooks or
// beyond the .xls grid): such a name refers to no range.
std::optional<std::vector<std::uint8_t>> compileNameFormula(std::string_view text,
                                                            const NameCompileContext& context);

// Whether a name's text that compiles to no tokens is a reference into the
// larger grid of a zip-based workbook that lies past the .xls grid
// ("Sheet1!$XFD$1048576", "$A$70000:$B$70001"): a cell the name means but
// no .xls reference can reach.
bool referencesPastTheGrid(std::string_view text);

}  // namespace xls::formula
