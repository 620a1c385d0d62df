#pragma once

#include <memory>

#include "automation/object_model.h"

namespace automation {

// Whether a workbook the primary application refused is worth handing to
// the secondary one: a format the spreadsheet application itself opens
// (a zip-based or XML workbook, an early binary one, a web page saved
// under a workbook's name) or one the primary does not support. A damaged,
// encrypted, missing, unreadable or empty file fails there just the same.
bool WorthRetrying(const AutomationError& primaryFailure);

// An application that opens what its primary application refuses (see
// WorthRetrying) with a secondary one, started the first time it is needed
// and at most once, with the EnableEvents and DisplayAlerts settings given
// so far. Application-level members (Range(name), ActiveWorkbook, Cells...)
// go to the instance that opened the latest workbook; new workbooks come
// from the primary. When the secondary cannot be started, or cannot open
// the file either without saying more about it, the primary's error is
// what the caller sees, so the file is reported as before.
std::unique_ptr<Application> MakeFallbackApplication(std::unique_ptr<Application> primary,
                                                     ApplicationFactory createSecondary);

}  // namespace automation
