#include "automation/native/style_edits.h"

#include <cstdint>
#include <string>
#include <vector>

#include "automation/automation_error.h"

namespace xls::native {

namespace {

// A block of cells every one of which becomes a record; beyond this the
// list file would hit the format's limits long before anything useful.
constexpr std::uint64_t kMaxBlockCells = std::uint64_t{1} << 22;

std::size_t placeBits(EdgePosition at) {
    return (at.top ? 8U : 0U) | (at.bottom ? 4U : 0U) | (at.left ? 2U : 0U) | (at.right ? 1U : 0U);
}

EdgePosition placeOf(std::size_t bits) {
    return {(bits & 8U) != 0, (bits & 4U) != 0, (bits & 2U) != 0, (bits & 1U) != 0};
}

class Restyler {
  public:
    Restyler(book::Workbook& model, const StyleEdit& edit) : model_(model), edit_(edit) {}

    std::uint16_t operator()(std::uint16_t xf, EdgePosition at) {
        const std::size_t key = std::size_t{xf} << 4 | placeBits(at);
        // A table by format and place: a block's cells take a handful of
        // formats, each asked for many times.
        if (key >= done_.size()) done_.resize(key + 16, kNotYet);
        if (done_[key] != kNotYet) return done_[key];
        book::CellStyle style = model_.style(xf);
        if (style.isStyle) {
            // A style format is never a cell's own: start from a cell
            // format that names it as its parent.
            style = book::defaultCellStyle();
            style.parent = xf;
        }
        edit_(style, at);
        return done_[key] = model_.styleIndex(style);
    }

  private:
    book::Workbook& model_;
    const StyleEdit& edit_;
    static constexpr std::uint16_t kNotYet = 0xFFFF;
    std::vector<std::uint16_t> done_;
};

EdgePosition positionIn(const formula::Area& a, std::uint32_t row, std::uint32_t col) {
    return {
        static_cast<std::int32_t>(row) == a.firstRow, static_cast<std::int32_t>(row) == a.lastRow,
        static_cast<std::int32_t>(col) == a.firstCol, static_cast<std::int32_t>(col) == a.lastCol};
}

}  // namespace

void applyStyle(book::Workbook& model, book::Sheet& sheet, const formula::Area& area,
                const StyleEdit& edit) {
    Restyler restyle(model, edit);
    const formula::Grid& grid = model.grid();
    const bool allRows = area.firstRow == 0 && area.lastRow == grid.lastRow;
    const bool allCols = area.firstCol == 0 && area.lastCol == grid.lastCol;

    if (allRows) {
        for (std::int32_t c = area.firstCol; c <= area.lastCol; ++c) {
            auto col = static_cast<std::uint32_t>(c);
            sheet.setColumnXf(col, col, restyle(sheet.columnXf(col), positionIn(area, 0, col)));
        }
    }
    if (allCols) {
        if (allRows) {
            std::vector<std::pair<std::uint32_t, std::uint16_t>> formatted;
            for (const auto& [row, info] : sheet.rows())
                if (info.hasXf) formatted.emplace_back(row, info.xf);
            for (auto [row, xf] : formatted)
                sheet.setRowXf(row, restyle(xf, positionIn(area, row, 0)));
        } else {
            for (std::int32_t r = area.firstRow; r <= area.lastRow; ++r) {
                auto row = static_cast<std::uint32_t>(r);
                std::uint16_t base = sheet.rowXf(row).value_or(15);
                sheet.setRowXf(row, restyle(base, positionIn(area, row, 0)));
            }
        }
    }

    // The cells the range already holds, changed in one walk.
    std::size_t present = sheet.restyleCells(
        area, [&](const book::Cell& c) { return restyle(c.xf, positionIn(area, c.row, c.col)); });

    if (allRows || allCols) return;
    std::uint64_t count = std::uint64_t(area.lastRow - area.firstRow + 1) *
                          std::uint64_t(area.lastCol - area.firstCol + 1);
    // Every position already has its cell: nothing left to create.
    if (present == count) return;
    if (count > kMaxBlockCells)
        throw automation::AutomationError(
            automation::errnum::kApplicationDefined,
            "a block of " + std::to_string(count) + " cells is too large to format cell by cell");
    for (std::int32_t r = area.firstRow; r <= area.lastRow; ++r) {
        auto row = static_cast<std::uint32_t>(r);
        auto rowXf = sheet.rowXf(row);
        for (std::int32_t c = area.firstCol; c <= area.lastCol; ++c) {
            auto col = static_cast<std::uint32_t>(c);
            if (sheet.find(row, col)) continue;
            std::uint16_t base = rowXf ? *rowXf : sheet.columnXf(col);
            sheet.setXf(row, col, restyle(base, positionIn(area, row, col)));
        }
    }
}

bool applyStylesTogether(book::Workbook& model, book::Sheet& sheet, const formula::Area& area,
                         std::span<const StyleEdit> edits) {
    const formula::Grid& grid = model.grid();
    const bool allRows = area.firstRow == 0 && area.lastRow == grid.lastRow;
    const bool allCols = area.firstCol == 0 && area.lastCol == grid.lastCol;
    if (allRows || allCols) return false;

    // Each pass of applyStyle asks for a format once for every format and
    // place its walk meets, in the order it meets them first; the walk is
    // the same in every pass, so that order follows from the first walk's.
    constexpr std::uint32_t kNone = 0xFFFFFFFF;
    std::vector<std::uint32_t> slotOfKey;
    std::vector<std::size_t> keys;
    const std::size_t present = sheet.restyleCells(area, [&](const book::Cell& c) {
        const std::size_t key = std::size_t{c.xf} << 4 | placeBits(positionIn(area, c.row, c.col));
        if (key >= slotOfKey.size()) slotOfKey.resize(key + 16, kNone);
        if (slotOfKey[key] == kNone) {
            slotOfKey[key] = static_cast<std::uint32_t>(keys.size());
            keys.push_back(key);
        }
        return c.xf;
    });
    const std::uint64_t count = std::uint64_t(area.lastRow - area.firstRow + 1) *
                                std::uint64_t(area.lastCol - area.firstCol + 1);
    // Missing cells would be made by the first pass and met by the next
    // ones where they lie: left to applyStyle.
    if (present != count) return false;

    std::vector<std::uint16_t> now(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) now[i] = static_cast<std::uint16_t>(keys[i] >> 4);
    for (const StyleEdit& edit : edits) {
        Restyler restyle(model, edit);
        for (std::size_t i = 0; i < keys.size(); ++i)
            now[i] = restyle(now[i], placeOf(keys[i] & 15U));
    }
    sheet.restyleCells(area, [&](const book::Cell& c) {
        return now[slotOfKey[std::size_t{c.xf} << 4 | placeBits(positionIn(area, c.row, c.col))]];
    });
    return true;
}

}  // namespace xls::native
