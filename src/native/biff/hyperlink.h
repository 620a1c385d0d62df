#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "native/biff/worksheet.h"

namespace xls::biff {

// Reads the data of an HLINK record: the cell range and the hyperlink
// object after it (display text, URL or file moniker, location). Returns
// nullopt for a link this reader cannot follow (another moniker kind, or
// damaged data); the caller keeps the sheet.
std::optional<Hyperlink> readHyperlink(std::span<const std::uint8_t> data, std::uint16_t codepage);

}  // namespace xls::biff
