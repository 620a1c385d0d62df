#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace xls::formula {

// Whether a sheet name must be quoted in a reference ('My Sheet'!A1), as the
// application writes references. A name needs quotes when it is empty,
// starts with a digit, holds anything but letters, digits, '_' and '.', or
// could be read as a cell reference ("A1", "IV65536", "XFD1", "R1C1", "R",
// "C12"). Letters include every non-ASCII letter, so Japanese names such as
// 目次 stay bare; non-ASCII blanks and punctuation (the ideographic space,
// 、。「」, full-width symbols) need quotes like their ASCII kin. Quoting a
// name that would not need it still gives a valid reference, so doubtful
// cases lean towards quotes.
bool sheetNameNeedsQuotes(std::string_view name);

// The name as it stands before '!': bare, or in single quotes with each
// embedded quote doubled.
std::string quotedSheetName(std::string_view name);

// The sheet name a prefix stands for: without its single quotes, and with
// each doubled quote inside made single again. A bare name is returned as
// it is.
std::string unquotedSheetName(std::string_view prefix);

// A reference text cut after its sheet prefix: "'It''s'!A1" gives the sheet
// It's and "A1"; a text without '!' gives no sheet and itself. Nullopt for
// a prefix no sheet can have (an unclosed quote, a forbidden character, an
// unquoted name that needs quotes).
struct SheetPrefixSplit {
    std::optional<std::string> sheet;
    std::string_view rest;
};
std::optional<SheetPrefixSplit> splitSheetPrefix(std::string_view text);

}  // namespace xls::formula
