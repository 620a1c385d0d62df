#pragma once

#include <array>
#include <string>
#include <string_view>

namespace mokuji::list_file {

// Display names of the 30 built-in document properties, in the order in
// which the spreadsheet application numbers them, so that a name's index is
// also the number its value is fetched under. Index 0 is never used.
using PropertyNameTable = std::array<std::string, 31>;

// Fills the table once at start-up; nothing changes it afterwards.
void FillPropertyNames(PropertyNameTable& prop_name);

// The reserved column name that selects a property: "P_" and its name.
inline constexpr std::string_view kReservedPrefix = "P_";
// The further reserved column that holds the workbook's file name.
inline constexpr std::string_view kFileNameColumn = "P_ファイル名";
// And the one that holds the subfolder the workbook lies in.
inline constexpr std::string_view kFolderColumn = "P_フォルダ名";

// The index (1 to 30) of the first entry whose reserved name equals the
// column name exactly, or 0 when it names no property.
int PropertyIndexOf(const PropertyNameTable& prop_name, std::string_view columnName);

}  // namespace mokuji::list_file
