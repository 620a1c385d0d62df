#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xls::biff::testing {

// Bytes of a file under tests/data.
std::vector<std::uint8_t> readTestFile(const std::string& relativePath);

// The "Workbook" (or BIFF5 "Book") stream of a compound file, found by name
// anywhere in the directory. A small reader for test fixtures only: it
// trusts the directory tree, and throws std::runtime_error when the
// stream cannot be found.
std::vector<std::uint8_t> workbookStream(const std::vector<std::uint8_t>& file);

// Both steps for a corpus file: tests/data/corpus/<relativePath>.
std::vector<std::uint8_t> corpusWorkbook(const std::string& relativePath);

}  // namespace xls::biff::testing
