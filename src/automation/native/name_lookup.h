#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "automation/native/workbook_data.h"
#include "automation/object_model.h"
#include "native/formula/area.h"

namespace xls::native {

// The name as the Names collection gives it: "Sheet1!範囲" for a sheet-level
// name, the English text for a built-in one ("Print_Area").
std::string nameText(const WorkbookData& book, const biff::DefinedName& name);

// The single area a name refers to, when it refers to a range of one sheet.
// A union of areas counts as its first area, as a multi-area range's value
// and position are those of its first area.
std::optional<formula::SheetArea> nameArea(const WorkbookData& book, const biff::DefinedName& name);

// Range(text) in a workbook whose active sheet is activeSheet: a cell
// reference, "Sheet!name", a sheet-level name of the active sheet, then a
// workbook-level name. Names match ignoring letter case. Throws
// AutomationError when the text names no range.
std::shared_ptr<automation::Range> resolveRange(const std::shared_ptr<WorkbookData>& book,
                                                std::size_t activeSheet, const std::string& text);

}  // namespace xls::native
