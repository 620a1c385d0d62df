#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace xls::book {

// One cell of a worksheet. The members are ordered so that a cell packs
// into 80 bytes: a long list holds hundreds of thousands of them.
struct Cell {
    enum class Kind : std::uint8_t { Blank, Number, Text, Boolean, Error, Formula };

    // Number: the value. Formula: the cached result when result is Number.
    double number = 0;
    // Text: the value (UTF-8, at most 32767 UTF-16 units). Formula: the
    // cached result when result is Text.
    std::string text;
    // Formula only: the FORMULA record followed by the STRING, SHRFMLA,
    // ARRAY and TABLE records that belong to it (and their CONTINUEs), each
    // as stored with its 4-byte header. Written back as they are, except
    // that the FORMULA's row, column and xf are set to the cell's, and the
    // anchor rows of its tExp/tTbl token and of a SHRFMLA/ARRAY/TABLE range
    // move with the cell when rows are deleted.
    std::vector<std::vector<std::uint8_t>> rawRecords;
    std::uint16_t row = 0;  // 0-based
    std::uint16_t col = 0;  // 0-based
    std::uint16_t xf = 15;  // index into Workbook::style()
    Kind kind = Kind::Blank;
    // Formula only: the kind of the cached result (Number, Text, Boolean,
    // Error, or Blank for an empty string result kept as Text "").
    Kind result = Kind::Blank;
    // Boolean: 0 or 1. Error: one of biff::cell_error. Formula: the cached
    // Boolean or Error result.
    std::uint8_t code = 0;
};

}  // namespace xls::book
