#pragma once

#include <cstdint>
#include <vector>

#include "native/book/sheet.h"

namespace xls::book {

// Appends the HLINK record of a link added through the model: a URL
// moniker for a URL ("scheme://", "mailto:"), a file moniker for a file
// name, relative ("a.xls", "../b.xls") or absolute, the display text and
// the location after '#'. BookError when it does not fit one record.
void writeHyperlinkRecord(std::vector<std::uint8_t>& out, const Hyperlink& link);

// Whether the target is a URL rather than a file name.
bool isUrlTarget(const std::string& target);

}  // namespace xls::book
