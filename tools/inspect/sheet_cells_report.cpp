#include "sheet_cells_report.h"

#include "automation/automation_error.h"
#include "automation/native/cell_value.h"
#include "automation/native/workbook_data.h"
#include "native/text/json_string.h"

namespace mokuji::inspect {

namespace {

using automation::AutomationError;
using xls::text::jsonString;

std::string describeCell(xls::native::WorkbookData& book, const xls::biff::Cell& cell) {
    // Through cellValue, so the text is what a name on this cell would show.
    automation::Variant value = xls::native::cellValue(book, cell);
    if (value.isEmpty()) return "";
    std::string head = "[" + std::to_string(cell.row + 1) + ", " + std::to_string(cell.col + 1);
    if (const auto* error = value.get<automation::ErrorValue>())
        return head + ", null, " + std::to_string(error->code) + "]";
    return head + ", " + jsonString(value.toText()) + "]";
}

std::string describeSheet(xls::native::WorkbookData& book, std::size_t index) {
    const auto& entry = book.globals().sheets[index];
    std::string out = "{\"name\": " + jsonString(entry.name) + ", \"cells\": ";
    if (entry.kind != xls::biff::SheetKind::Worksheet) return out + "null}";
    std::vector<xls::biff::Cell> all;
    try {
        all = book.cells(index);
    } catch (const AutomationError& e) {
        return out + "null, \"error\": " + jsonString(e.what()) + "}";
    }
    std::string cells;
    for (const auto& cell : all) {
        std::string text = describeCell(book, cell);
        if (text.empty()) continue;
        cells += (cells.empty() ? "\n    " : ",\n    ") + text;
    }
    return out + "[" + cells + "]}";
}

}  // namespace

std::string describeSheetCells(const std::string& path) {
    auto book = xls::native::WorkbookData::load(path);
    std::string out;
    for (std::size_t i = 0; i < book->globals().sheets.size(); ++i)
        out += (i ? ",\n  " : "\n  ") + describeSheet(*book, i);
    return "[" + out + "]";
}

}  // namespace mokuji::inspect
