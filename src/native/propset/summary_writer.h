#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "native/propset/property_set.h"

namespace xls::propset {

// The document properties a workbook save writes to "\005SummaryInformation".
// Absent fields are left out of the stream.
struct SummaryFields {
    std::optional<std::string> title;
    std::optional<std::string> subject;
    std::optional<std::string> author;
    std::optional<std::string> keywords;
    std::optional<std::string> comments;
    std::optional<std::string> lastAuthor;
    std::optional<std::string> applicationName;
    std::optional<FileTime> created;
    std::optional<FileTime> lastSaved;
    std::optional<std::int32_t> security;
};

// The ones written to "\005DocumentSummaryInformation".
struct DocumentSummaryFields {
    std::optional<std::string> category;
    std::optional<std::string> manager;
    std::optional<std::string> company;
};

// Text is stored as VT_LPSTR in code page 1252 when all of it has a form
// there, which every reader understands; otherwise the whole section uses
// code page 1200 (UTF-16), so nothing is lost.
PropertySet summaryInformationSet(const SummaryFields& fields);
PropertySet documentSummaryInformationSet(const DocumentSummaryFields& fields);

std::vector<std::uint8_t> writeSummaryInformation(const SummaryFields& fields);
std::vector<std::uint8_t> writeDocumentSummaryInformation(const DocumentSummaryFields& fields);

}  // namespace xls::propset
