#pragma once

#include <optional>
#include <string>
#include <vector>

#include "automation/variant.h"
#include "list_file/column_table.h"
#include "list_file/list_row.h"
#include "list_file/list_workbook_result.h"

namespace mokuji::list_file {

// The rows of a run as text for other programs: the columns of the list,
// named as the list names them, one record per workbook, each value typed.
enum class RowFormat {
    // RFC 4180: CRLF after each record, a field quoted only when it holds
    // a comma, a double quote, CR or LF.
    Csv,
    // One JSON object a line, its keys the column names, LF after each.
    JsonLines,
};

struct RowRecordOptions {
    RowFormat format = RowFormat::Csv;
    // A UTF-8 byte order mark first, by which the spreadsheet application
    // tells a CSV file is UTF-8 rather than the system's code page.
    bool byteOrderMark = false;
};

// The shortest decimal text that reads back as the same double ("0.1",
// "123", "1e+308"); nothing for NaN and the infinities, which no number
// syntax of CSV readers or JSON has.
std::optional<std::string> NumberText(double number);

// A date value in ISO 8601, to the second: "2005-03-14" for a whole day,
// "2005-03-14T10:30:00" with its time of day, "10:30:00" for a time alone
// (a value below one day, which the list shows as a time). Nothing for a
// date outside the years 100 to 9999.
std::optional<std::string> IsoDateText(double serial);

// The header and every row, in list column order. The sequence number is
// left out: it is the record's place, and a pipeline keeps that itself.
// A file name (and a folder name) that is no UTF-8 is shown decoded, as
// the list shows it. Values no number syntax holds (NaN, infinities) are
// written as the text "#NUM!", as the list writes them, and added to
// result.valuesAsText; result.rowsWritten counts the records.
std::string RowRecordsText(const RowStore& rows, const ColumnTable& columns,
                           const RowRecordOptions& options, ListWorkbookResult& result);

}  // namespace mokuji::list_file
