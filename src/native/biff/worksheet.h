#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "native/biff/globals.h"
#include "native/biff/record_reader.h"

namespace xls::biff {

enum class CellType : std::uint8_t { Number, String, Boolean, Error, Blank };

// Error codes of BOOLERR and FORMULA results.
namespace cell_error {
inline constexpr std::uint8_t Null = 0x00;   // #NULL!
inline constexpr std::uint8_t Div0 = 0x07;   // #DIV/0!
inline constexpr std::uint8_t Value = 0x0F;  // #VALUE!
inline constexpr std::uint8_t Ref = 0x17;    // #REF!
inline constexpr std::uint8_t Name = 0x1D;   // #NAME?
inline constexpr std::uint8_t Num = 0x24;    // #NUM!
inline constexpr std::uint8_t NA = 0x2A;     // #N/A
}  // namespace cell_error

// The text of a cell error code ("#DIV/0!" for 0x07), as every reader
// writes it; "" for a code no cell holds.
std::string_view cellErrorText(std::uint8_t code);

// One cell value. A formula cell holds its cached result.
struct Cell {
    std::uint16_t row = 0;
    std::uint16_t col = 0;
    std::uint16_t xf = 0;
    CellType type = CellType::Blank;
    bool fromFormula = false;
    double number = 0;
    std::uint8_t code = 0;  // Boolean: 0 or 1; Error: one of cell_error
    std::string text;
};

// HLINK: a hyperlink over a cell range.
struct Hyperlink {
    std::uint16_t firstRow = 0, lastRow = 0;
    std::uint16_t firstCol = 0, lastCol = 0;
    // A URL, or a file path ("../" once per parent step); empty for a link
    // to a place in the workbook only.
    std::string target;
    std::string location;  // the part after '#', such as "Sheet2!A1"
    std::string display;   // empty when the link has no text of its own
};

// ROW: height and state of a row that has any.
struct RowInfo {
    std::uint16_t row = 0;
    std::uint16_t firstCol = 0, lastColPlus1 = 0;
    std::uint16_t height = 0;  // twips
    bool hidden = false;
    bool customHeight = false;
    std::uint8_t outlineLevel = 0;
    bool hasXf = false;
    std::uint16_t xf = 0;
};

// COLINFO: width and state of a run of columns.
struct ColInfo {
    std::uint16_t firstCol = 0, lastCol = 0;
    std::uint16_t width = 0;  // 1/256 of the width of '0'
    std::uint16_t xf = 0;
    bool hidden = false;
    std::uint8_t outlineLevel = 0;
};

struct Worksheet {
    std::string name;
    std::uint32_t dimFirstRow = 0, dimLastRowPlus1 = 0;
    std::uint16_t dimFirstCol = 0, dimLastColPlus1 = 0;
    // Sorted by (row, col), one per position: a later record for the same
    // cell replaces an earlier one.
    std::vector<Cell> cells;
    std::vector<Hyperlink> hyperlinks;
    // Every record of the substream, BOF to EOF, embedded chart substreams
    // and CONTINUE records included.
    std::vector<RecordRef> records;
    std::vector<RowInfo> rows;
    std::vector<ColInfo> columns;
    // Damage that was worked around: a LABELSST index past the string table
    // (read as empty text), a hyperlink that could not be read (dropped).
    std::vector<std::string> warnings;

    const Cell* find(std::uint16_t row, std::uint16_t col) const;
};

// Reads sheet sheetIndex of globals.sheets from its BOF to the matching EOF.
// Charts and VB modules give an empty Worksheet with only the name (and for
// charts the records). Throws BiffError when the sheet's position is not a
// BOF inside the stream or a record is damaged.
Worksheet parseWorksheet(std::span<const std::uint8_t> workbookStream, const Globals& globals,
                         std::size_t sheetIndex);

// Hands visit the records of sheet sheetIndex one by one, as
// parseWorksheet's Worksheet::records lists them, without reading them. For
// a sheet the caller has checked.
void visitSheetRecords(std::span<const std::uint8_t> workbookStream, const Globals& globals,
                       std::size_t sheetIndex, const std::function<void(const RecordRef&)>& visit);

// Decodes an RK number: a 30-bit integer or the top 30 bits of a double,
// optionally divided by 100.
double decodeRk(std::uint32_t rk);

}  // namespace xls::biff
