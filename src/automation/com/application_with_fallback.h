#pragma once

#include <memory>

#include "automation/object_model.h"

namespace mokuji::com {

// The Windows program's application: our own engine, which opens .xls
// files, and the installed spreadsheet application for the workbooks that
// only it can open (an .xlsx saved under an .xls name, for one). The
// spreadsheet application is started only when such a workbook turns up.
std::unique_ptr<automation::Application> CreateApplicationWithFallback();

}  // namespace mokuji::com
