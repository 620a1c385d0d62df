#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "native/formula/area.h"
#include "native/xlsx/package.h"

namespace xls::xlsx {

// A table (list object) of a sheet, as its part describes it.
struct Table {
    std::string name;  // its display name, which formulas use
    std::size_t sheet = 0;
    formula::Area area;
    std::int32_t headerRows = 1;
    std::int32_t totalsRows = 0;
    std::vector<std::string> columns;
};

// The tables of the sheets whose parts are given (empty for a sheet
// without cells). A table part that cannot be read, or reaches past the
// .xls grid, is left out: only names that use it lose their range.
std::vector<Table> readTables(const Package& package, const std::vector<std::string>& sheetParts);

// The area of a structured reference's specifier on a table: "" or
// "#Data" for its data rows, "#All", "#Headers", "#Totals", a column name,
// "[Col1]:[Col2]", "[#Data],[Col]" and the like. Nullopt for a part the
// table has not (no header row, no such column) and for "#This Row", which
// depends on the cell it is used from.
std::optional<formula::Area> tableArea(const Table& table, std::string_view specifier);

}  // namespace xls::xlsx
