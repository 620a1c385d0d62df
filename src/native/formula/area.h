#pragma once

#include <cstdint>

namespace xls::formula {

// The .xls grid: 65536 rows by 256 columns.
inline constexpr std::int32_t kLastRow = 65535;
inline constexpr std::int32_t kLastCol = 255;

// The rows and columns a sheet can hold: the .xls grid above, or the larger
// one of the zip-based format. A workbook has one, set by the format it
// was read from or is made for.
struct Grid {
    std::int32_t lastRow = kLastRow;
    std::int32_t lastCol = kLastCol;

    bool operator==(const Grid&) const = default;
};

inline constexpr Grid kBinaryGrid{kLastRow, kLastCol};
// 1,048,576 rows by 16,384 columns (XFD).
inline constexpr Grid kPackageGrid{1048575, 16383};

// A rectangle of cells, 0-based and inclusive.
struct Area {
    std::int32_t firstRow = 0;
    std::int32_t firstCol = 0;
    std::int32_t lastRow = 0;
    std::int32_t lastCol = 0;

    bool operator==(const Area&) const = default;
};

// An area on one sheet or on a run of sheets, by position in the workbook.
struct SheetArea {
    std::int32_t firstSheet = 0;
    std::int32_t lastSheet = 0;
    Area area;

    bool operator==(const SheetArea&) const = default;
};

}  // namespace xls::formula
