#pragma once

#include <cstdint>
#include <vector>

#include "native/book/sheet.h"

namespace xls::book {

// Appends the HLINK record of a link added through the model: a URL
// moniker for a URL ("scheme://", "mailto:"), a file moniker for a file
// name, relative ("a.xls", "../b.xls") or absolute, as the link's kind says, the display text and
// the location after '#'. BookError when it does not fit one record.
void writeHyperlinkRecord(std::vector<std::uint8_t>& out, const Hyperlink& link);

// What a target's text names when nobody said: a URL by its scheme, an
// absolute file by its drive, share or root, else a file relative to the
// workbook.
LinkKind linkKindOf(const std::string& target);

}  // namespace xls::book
