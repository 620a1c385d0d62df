#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "native/formula/area.h"
#include "native/xlsx/package.h"
#include "native/xml/xml_parser.h"

namespace xls::xlsx {

// One cell as a sheet part holds it, before its shared string is looked up.
struct SheetCell {
    enum class Kind : std::uint8_t { Number, SharedString, Text, Boolean, Error };
    std::uint32_t row = 0;
    std::uint16_t col = 0;
    std::uint16_t xf = 0;
    Kind kind = Kind::Number;
    std::uint8_t code = 0;  // Boolean: 0 or 1; Error: the binary format's code
    double number = 0;
    std::uint32_t index = 0;  // SharedString: into the table; Text: into texts()
};

// A worksheet part read as far as the cells asked for, and no further:
// the cells of a questionnaire's first rows cost the same whatever follows
// them. Only a cell the sheet does not hold costs the whole part, since
// rows may come in any order. Cells past the grid asked for (by default
// the .xls one: row 65536, column IV) are passed over.
class SheetCells {
  public:
    // The part is opened at the first find. Dates written as text ("d"
    // cells) become serials of the workbook's date system.
    SheetCells(const Package& package, std::string part, bool date1904,
               const formula::Grid& grid = formula::kBinaryGrid);
    ~SheetCells();

    // Throws XlsxError when the part is missing, is no worksheet or is
    // damaged, or when reaching the cell would keep more cells than a
    // sheet is read for.
    std::optional<SheetCell> find(std::uint32_t row, std::uint16_t col);
    const std::string& text(std::uint32_t index) const { return texts_[index]; }
    // Every cell of the sheet by row and column, the part read to its end.
    std::vector<SheetCell> all();

  private:
    // Reads on until a row after `row` has started, or to the end.
    void advance(std::uint32_t row);
    // The cell among those read so far; a later one for the same place
    // replaces an earlier one.
    std::optional<SheetCell> held(std::uint32_t row, std::uint16_t col) const;

    class Reader;
    friend class Reader;

    const Package& package_;
    std::string part_;
    bool date1904_ = false;
    formula::Grid grid_;
    std::unique_ptr<Reader> reader_;
    // In the order the part holds them; ordered_ while each lies after the
    // one before, as writers put them.
    std::vector<SheetCell> cells_;
    std::vector<std::string> texts_;
    bool ordered_ = true;
    bool done_ = false;
    std::exception_ptr failure_;
    // The row the part has reached: every cell before it is in cells_.
    std::uint32_t frontier_ = 0;
};

}  // namespace xls::xlsx
