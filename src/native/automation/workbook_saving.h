#pragma once

#include <string>

#include "native/automation/editable_state.h"

namespace xls::native {

// Writes the workbook to a BIFF8 .xls file at path: the Workbook stream,
// document properties with this save's time, and every other stream of the
// file it was read from. The file is replaced only once the new one is
// complete; on failure it stays as it was and AutomationError says why.
void saveWorkbookFile(const EditState& state, const std::string& path);

}  // namespace xls::native
