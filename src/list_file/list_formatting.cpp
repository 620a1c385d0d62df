#include "list_file/list_formatting.h"

#include <vector>

#include "automation/ignoring_failure.h"

namespace mokuji::list_file {

namespace xl = automation::xl;

namespace {

inline constexpr std::int32_t kHeaderColorIndex = 6;

void alignTopUnturned(automation::Range& r, std::int32_t horizontal) {
    automation::ignoringFailure([&] { r.setHorizontalAlignment(horizontal); });
    automation::ignoringFailure([&] { r.setVerticalAlignment(xl::kAlignTop); });
}

void noIndentShrinkOrMerge(automation::Range& r) {
    automation::ignoringFailure([&] { r.setOrientation(0); });
    automation::ignoringFailure([&] { r.setAddIndent(false); });
    automation::ignoringFailure([&] { r.setShrinkToFit(false); });
    automation::ignoringFailure([&] { r.setMergeCells(false); });
}

}  // namespace

void FormatWholeSheet(automation::Range& cells) {
    alignTopUnturned(cells, xl::kAlignGeneral);
    noIndentShrinkOrMerge(cells);
}

void FormatNumberColumn(automation::Range& column) {
    alignTopUnturned(column, xl::kAlignGeneral);
    automation::ignoringFailure([&] { column.setWrapText(true); });
    noIndentShrinkOrMerge(column);
}

void FormatFileNameColumn(automation::Range& column) {
    alignTopUnturned(column, xl::kAlignLeft);
    automation::ignoringFailure([&] { column.setWrapText(true); });
    noIndentShrinkOrMerge(column);
    automation::ignoringFailure([&] { column.setIndentLevel(0); });
}

void ColourHeaderCell(automation::Range& cell) {
    automation::ignoringFailure(
        [&] { required(cell.interior()).setColorIndex(kHeaderColorIndex); });
    automation::ignoringFailure([&] { required(cell.interior()).setPattern(xl::kPatternSolid); });
}

void DrawBorderSet(automation::Range& block) {
    std::vector<automation::BorderSetting> settings;
    for (std::int32_t i : {xl::kDiagonalDown, xl::kDiagonalUp})
        settings.push_back(
            {.index = i, .lineStyle = xl::kLineStyleNone, .weight = {}, .colorIndex = {}});
    for (std::int32_t i : {xl::kEdgeLeft, xl::kEdgeTop, xl::kEdgeBottom, xl::kEdgeRight,
                           xl::kInsideVertical, xl::kInsideHorizontal})
        settings.push_back({.index = i,
                            .lineStyle = xl::kContinuous,
                            .weight = xl::kThin,
                            .colorIndex = xl::kColorIndexAutomatic});
    automation::ignoringFailure([&] { block.setBorders(settings); });
}

}  // namespace mokuji::list_file
