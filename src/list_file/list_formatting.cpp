#include "list_file/list_formatting.h"

#include "automation/ignoring_failure.h"

namespace mokuji::engine {

namespace xl = automation::xl;

namespace {

inline constexpr std::int32_t kHeaderColorIndex = 6;

void alignTopUnturned(automation::Range& r, std::int32_t horizontal) {
    ignoringFailure([&] { r.setHorizontalAlignment(horizontal); });
    ignoringFailure([&] { r.setVerticalAlignment(xl::kAlignTop); });
}

void noIndentShrinkOrMerge(automation::Range& r) {
    ignoringFailure([&] { r.setOrientation(0); });
    ignoringFailure([&] { r.setAddIndent(false); });
    ignoringFailure([&] { r.setShrinkToFit(false); });
    ignoringFailure([&] { r.setMergeCells(false); });
}

}  // namespace

void FormatWholeSheet(automation::Range& cells) {
    alignTopUnturned(cells, xl::kAlignGeneral);
    noIndentShrinkOrMerge(cells);
}

void FormatNumberColumn(automation::Range& column) {
    alignTopUnturned(column, xl::kAlignGeneral);
    ignoringFailure([&] { column.setWrapText(true); });
    noIndentShrinkOrMerge(column);
}

void FormatFileNameColumn(automation::Range& column) {
    alignTopUnturned(column, xl::kAlignLeft);
    ignoringFailure([&] { column.setWrapText(true); });
    noIndentShrinkOrMerge(column);
    ignoringFailure([&] { column.setIndentLevel(0); });
}

void ColourHeaderCell(automation::Range& cell) {
    ignoringFailure([&] { required(cell.interior()).setColorIndex(kHeaderColorIndex); });
    ignoringFailure([&] { required(cell.interior()).setPattern(xl::kPatternSolid); });
}

void DrawBorderSet(automation::Range& block) {
    for (std::int32_t i : {xl::kDiagonalDown, xl::kDiagonalUp}) {
        ignoringFailure([&] { required(block.borders(i)).setLineStyle(xl::kLineStyleNone); });
    }
    for (std::int32_t i : {xl::kEdgeLeft, xl::kEdgeTop, xl::kEdgeBottom, xl::kEdgeRight,
                           xl::kInsideVertical, xl::kInsideHorizontal}) {
        ignoringFailure([&] { required(block.borders(i)).setLineStyle(xl::kContinuous); });
        ignoringFailure([&] { required(block.borders(i)).setWeight(xl::kThin); });
        ignoringFailure(
            [&] { required(block.borders(i)).setColorIndex(xl::kColorIndexAutomatic); });
    }
}

}  // namespace mokuji::engine
