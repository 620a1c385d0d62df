#pragma once

#include <cstdint>
#include <string_view>

#include "list_file/column_table.h"
#include "native/text/ascii.h"

namespace mokuji::list_file {

// The fixed shape of a list file. Reading a list file back depends on it as
// much as writing one does.
inline constexpr const char* kListFileName = "00_目次.xls";
// The same list in the zip-based format, when the user asks for it or the
// folder holds it.
inline constexpr const char* kListFileNameXlsx = "00_目次.xlsx";
inline constexpr const char* kListSheetName = "目次";
inline constexpr const char* kNumberHeader = "No.";
inline constexpr const char* kFileNameHeader = "FILE名";
// The workbook name on the "No." header cell; its row is the header row.
inline constexpr const char* kNumberName = "No.";
// The same name as LibreOffice saves it: a name may not hold "." there.
inline constexpr const char* kNumberNameSavedElsewhere = "No_";
// Header row of a file this program creates.
inline constexpr std::int32_t kDefaultHeaderRow = 3;
// Column of the sequence numbers; the listed columns follow it.
inline constexpr std::int32_t kNumberColumn = 2;
// Rows of a worksheet in the list file's format: a sheet of the workbook
// the list is built in may have more, which the file could not hold.
inline constexpr std::int32_t kSheetRows = 65536;
inline constexpr std::int32_t kSheetRowsXlsx = 1048576;

// Whether a list file of that name is the zip-based one.
inline bool IsXlsxList(std::string_view listFileName) {
    constexpr std::string_view kXlsx = ".xlsx";
    return listFileName.size() >= kXlsx.size() &&
           xls::text::equalsIgnoringAsciiCase(
               listFileName.substr(listFileName.size() - kXlsx.size()), kXlsx);
}

// The rows a list file of that name holds, by its format.
inline std::int32_t SheetRowsOf(std::string_view listFileName) {
    return IsXlsxList(listFileName) ? kSheetRowsXlsx : kSheetRows;
}

// The columns a list file of that name can take, by its format.
inline int MaxColumnsOf(std::string_view listFileName) {
    return IsXlsxList(listFileName) ? kMaxColumnsXlsx : kMaxColumns;
}

}  // namespace mokuji::list_file
