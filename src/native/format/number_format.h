#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xls::format {

// How the automation interface hands out the value of a numeric cell: a
// Double, a Date (VT_DATE) or a Currency (VT_CY). Only the cell's number
// format decides; the number itself is the same.
enum class ValueKind { Number, Date, Currency };

// Classifies a number format code (UTF-8, as stored in a FORMAT record).
// Only the first section counts, as it does for the application. Date and
// time tokens win over a currency sign, so "¥ yyyy" is a Date.
ValueKind classifyFormatCode(std::string_view code);

// The file's own code wins when the workbook carries one for formatId;
// otherwise the built-in ja-JP code for that id is classified.
ValueKind classifyFormat(std::uint16_t formatId, const std::string* codeFromFile);

}  // namespace xls::format
