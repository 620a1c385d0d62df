#pragma once

#include <string>
#include <vector>

#include "list_file/list_file_readers.h"

namespace mokuji::window {

// Messages of an unattended run; lines end in CR LF like every message.

// Nothing to list in the working folder (which ends in the separator).
std::string NoWorkbooksMessage(const std::string& folder);
// The argument names nothing that exists: what was given, and the path it
// was taken for when that differs.
std::string PathNotFoundMessage(const std::string& given, const std::string& resolved);
// The desktop opened a list file just written with this program itself, as
// its program for workbooks; the list was left as it was.
std::string OpenedWithItselfMessage(const std::string& listFile);
// The argument cannot be a path at all, such as a lone double quote.
std::string BadArgumentMessage(const std::string& given);
// The list file or the template workbook could not be read, so the run did
// not go on and left the list file as it was.
std::string ReadFailureMessage(const list_file::ReadFailure& failure);
// Workbooks that could not be read as the template, so that the columns
// came from a later one; the run listed them all the same.
std::string PassedOverTemplatesMessage(const std::vector<list_file::ReadFailure>& failures);
// How to start the program while it has no window of its own.
std::string UsageText(const std::string& programName);

// A command line that cannot be used; each names the option as given.
std::string UnknownOptionMessage(const std::string& option);
std::string OptionWithoutValueMessage(const std::string& option);
std::string RepeatedOptionMessage(const std::string& option);
// --list with a value other than xls or xlsx, or none.
std::string ListFormatMessage(const std::string& option);
// The options of the rows for other programs, used wrongly.
std::string RowsFileMissingMessage(const std::string& option);
std::string RowsOptionsTogetherMessage();
std::string ByteOrderMarkWithoutCsvMessage();
std::string RowsWithoutPathMessage();
// Such a fault, or an option's value that cannot be read, with where to
// look up how to write it.
std::string UsageErrorMessage(const std::string& problem, const std::string& programName);

}  // namespace mokuji::window
