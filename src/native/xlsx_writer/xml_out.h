#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace xls::xlsx_writer {

// Text for an XML part: markup characters escaped, and characters XML 1.0
// cannot hold (control characters but tab and line ends, lone surrogates
// never reach here as UTF-8) written as the "_xHHHH_" escapes readers of
// spreadsheet parts decode; a literal "_x" that would read as such an
// escape has its underscore escaped.
void appendText(std::string& out, std::string_view text);
// The same for an attribute value in double quotes.
void appendAttribute(std::string& out, std::string_view text);

// "A1" style reference of a 0-based cell.
std::string cellReference(std::uint32_t row, std::uint32_t col);
void appendCellReference(std::string& out, std::uint32_t row, std::uint32_t col);
// The shortest text that reads back as the same double.
std::string numberText(double value);

}  // namespace xls::xlsx_writer
