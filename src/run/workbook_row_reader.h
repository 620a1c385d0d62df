#pragma once

#include <memory>
#include <optional>
#include <string>

#include "automation/object_model.h"
#include "list_file/column_table.h"
#include "list_file/list_row.h"
#include "list_file/property_names.h"

namespace mokuji::run {

// Opens one source workbook read-only in the running application and reads
// its row, named listedName (its path relative to the list's folder): for
// every named column, in column order, the value as the workbook holds it. The row is stored only
// when some column asked the workbook for content (the file-name column alone does not).
//
// Returns the opened workbook, for the caller to close. Throws
// AutomationError when the workbook cannot be opened; individual values
// that cannot be read come out empty instead.
std::shared_ptr<automation::Workbook> ReadWorkbookRow(automation::Application& xl_app,
                                                      const std::string& path,
                                                      const std::string& listedName,
                                                      const list_file::ColumnTable& table,
                                                      const list_file::PropertyNameTable& prop_name,
                                                      list_file::RowStore& rows);

// A built-in document property as its column holds it: a date without its
// time of day, everything else as the property set stores it; nothing when
// the property is not set.
std::optional<automation::Variant> PropertyValue(const automation::DocumentProperty& property);

}  // namespace mokuji::run
