#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xls::book {

// The Workbook stream of a new workbook as a Japanese installation of the
// application writes it: three empty sheets, the first active.
std::vector<std::uint8_t> blankWorkbookStream();

// The substream of one new, empty worksheet (BOF to EOF).
std::vector<std::uint8_t> blankSheetStream(bool selected);

}  // namespace xls::book
