#pragma once

#include <string>

namespace mokuji::inspect {

// Every stored cell of every sheet of the workbook at path, as the JSON
// array [{"name": ..., "cells": [[row, column, "text"], ...]}, ...] in sheet
// order, rows and columns 1-based. A sheet without cells (chart, macro
// sheet, module) gets "cells": null; an error value gives null text and its
// worksheet error number as a fourth element. Throws
// automation::AutomationError when the file cannot be read.
//
// The automation interface can only be asked cell by cell, which over a
// whole sheet is millions of calls; this diagnostic reads the engine's
// stored cells instead, and converts each the way Range.Value does.
std::string describeSheetCells(const std::string& path);

}  // namespace mokuji::inspect
