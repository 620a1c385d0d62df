#pragma once

#include <map>
#include <string>
#include <string_view>

#include "list_file/column_table.h"

namespace mokuji::list_file {

// A list keeps the sheets of its columns' fallback cells in one cell that
// lists made before never used: left of the number column in the hidden
// row of row numbers. A program that reads only the row and column numbers
// passes it over, and the numbers keep their places.
//
// The text: this heading on the first line, then a line per column whose
// sheet is not the first: name, position and sheet name, separated by tabs.
inline constexpr std::string_view kFallbackSheetsHeading = "代替セルのシート";

// The record of the table's entries; "" when every one is on the first
// sheet, which needs no record.
std::string FallbackSheetsRecord(const ColumnTable& table);

// The sheets a record names, by column name; nothing for a text that is no
// record, and lines that cannot be read are passed over.
std::map<std::string, FallbackSheet> ReadFallbackSheets(std::string_view record);

}  // namespace mokuji::list_file
