#pragma once

#include <string>
#include <vector>

#include "native/book/workbook.h"

namespace xls::xlsx_writer {

// One part of a zip-based workbook: its name in the package and its bytes.
struct Part {
    std::string name;
    std::string bytes;
};

// What the document properties of a new package say.
struct PackageProperties {
    std::string application = "mokuji";
    // W3C date and time in UTC ("2026-12-09T08:00:00Z"); "" leaves it out.
    std::string created;
    std::string modified;
};

// Every part of the workbook as a SpreadsheetML package: content types,
// relationships, workbook, styles, shared strings, a part per worksheet
// (with its links), and the core and extended properties. Throws
// book::BookError for what the package cannot hold yet (a chart or macro
// sheet, which the binary model keeps only as records).
std::vector<Part> workbookParts(const book::Workbook& book, const PackageProperties& properties);

}  // namespace xls::xlsx_writer
