#pragma once

#include <memory>
#include <string>

#include "automation/native/editable_state.h"
#include "native/cfb/compound_file.h"

namespace xls::native {

// Writes the workbook to a BIFF8 .xls file at path: the Workbook stream,
// document properties with this save's time, and every other stream of the
// file it was read from. A path ending in .xlsx gets a zip-based
// package of the model instead (a new package: nothing of the file it was
// read from is carried over yet). The file is replaced only once the new one
// is complete; on failure it stays as it was and AutomationError says why.
void saveWorkbookFile(const EditState& state, const std::string& path);

// What a save takes from the file the workbook was read from: every stream
// but the workbook stream, which the model holds. Kept instead of the whole
// file, so a long list is not held twice while it is edited. The file as it
// was when it cannot be copied: the save then reports that.
std::shared_ptr<const cfb::CompoundFile> keptForSaving(
    std::shared_ptr<const cfb::CompoundFile> source);

}  // namespace xls::native
