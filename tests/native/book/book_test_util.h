#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace xls::book::testing {

// The Workbook stream of a file, read with the engine's compound file reader.
std::vector<std::uint8_t> workbookStreamOf(const std::filesystem::path& file);

// Every .xls under tests/data/corpus.
std::vector<std::filesystem::path> corpusFiles();

// Whether /usr/bin/python3 can import xlrd.
bool xlrdAvailable();

// Wraps the stream in a compound file and runs a Python script with `book`
// opened by xlrd (formatting_info=True); returns what it printed. The
// script's failure is a test failure reported through the returned text.
std::string runXlrd(const std::vector<std::uint8_t>& workbookStream, const std::string& script);

}  // namespace xls::book::testing
