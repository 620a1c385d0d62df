#pragma once

#include <memory>
#include <string>

#include "app/property_name_table.h"
#include "automation/object_model.h"
#include "engine/column_table.h"
#include "engine/row_store.h"

namespace mokuji::engine {

// Opens one source workbook read-only in the running application and turns
// it into its row text: for every named column, in column order, the value
// and a tab. The row is stored only when some column asked the workbook for
// content (the file-name column alone does not).
//
// Returns the opened workbook, for the caller to close. Throws
// AutomationError when the workbook cannot be opened; individual values
// that cannot be read come out empty instead.
std::shared_ptr<automation::Workbook> ReadWorkbookRow(automation::Application& xl_app,
                                                      const std::string& path,
                                                      const ColumnTable& columns,
                                                      const app::PropertyNameTable& prop_name,
                                                      RowStore& rows);

// A built-in document property as its column shows it: dates as
// "yyyy/mm/dd", everything else converted to text. Throws AutomationError
// when the property is not set.
std::string PropertyText(const automation::DocumentProperty& property);

}  // namespace mokuji::engine
