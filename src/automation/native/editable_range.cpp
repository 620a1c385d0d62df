#include "automation/ignoring_failure.h"
#include "automation/native/cell_entry.h"
#include "automation/native/editable_objects.h"
#include "automation/native/model_values.h"
#include "automation/native/xl_enumerations.h"

namespace xls::native {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;
namespace xl = automation::xl;

// Range.Value of a block larger than this is refused rather than built.
constexpr std::int64_t kMaxArrayCells = 1 << 20;

bool wholeRows(const formula::Area& a, const formula::Grid& grid) {
    return a.firstCol == 0 && a.lastCol == grid.lastCol;
}

class EditableInterior : public automation::Interior {
  public:
    explicit EditableInterior(EditableRange range) : range_(std::move(range)) {}
    void setColorIndex(std::int32_t colorIndex) override {
        if (colorIndex == xl::kColorIndexNone) {
            range_.restyle([](book::CellStyle& s, EdgePosition) {
                s.fillPattern = 0;
                s.patternColor = 64;
                s.fillUsed = true;
            });
            return;
        }
        std::uint8_t color = paletteIndex(colorIndex);
        range_.restyle([color](book::CellStyle& s, EdgePosition) {
            // A colour on a cell without a pattern fills it solidly.
            if (s.fillPattern == 0) s.fillPattern = 1;
            s.patternColor = color;
            s.fillUsed = true;
        });
    }
    void setPattern(std::int32_t pattern) override {
        std::uint8_t code = fillPatternCode(pattern);
        range_.restyle([code](book::CellStyle& s, EdgePosition) {
            s.fillPattern = code;
            s.fillUsed = true;
        });
    }

  private:
    EditableRange range_;
};

// The edges of the cells that one border of a range stands for.
template <typename Change>
void forEachEdge(book::CellStyle& s, EdgePosition at, std::int32_t index, Change change) {
    switch (index) {
        case xl::kEdgeLeft:
            if (at.left) change(s.left);
            break;
        case xl::kEdgeRight:
            if (at.right) change(s.right);
            break;
        case xl::kEdgeTop:
            if (at.top) change(s.top);
            break;
        case xl::kEdgeBottom:
            if (at.bottom) change(s.bottom);
            break;
        case xl::kInsideVertical:
            if (!at.left) change(s.left);
            if (!at.right) change(s.right);
            break;
        case xl::kInsideHorizontal:
            if (!at.top) change(s.top);
            if (!at.bottom) change(s.bottom);
            break;
        case xl::kDiagonalDown:
        case xl::kDiagonalUp:
            change(s.diagonal);
            break;
    }
}

// Border `index` of a range changed edge by edge; the diagonals share one
// edge, shown in either direction or both.
template <typename Change>
StyleEdit borderEdit(std::int32_t index, Change edgeChange) {
    return [index, edgeChange](book::CellStyle& s, EdgePosition at) {
        forEachEdge(s, at, index, edgeChange);
        if (index == xl::kDiagonalDown || index == xl::kDiagonalUp) {
            bool on = s.diagonal.style != 0;
            (index == xl::kDiagonalDown ? s.diagonalDown : s.diagonalUp) = on;
            if (!s.diagonalDown && !s.diagonalUp) s.diagonal = {};
        }
        s.borderUsed = true;
    };
}

// Each throws AutomationError for a value the application refuses, before
// anything changes.
StyleEdit lineStyleEdit(std::int32_t index, std::int32_t lineStyle) {
    borderStyleCode(lineStyle, xl::kThin);
    return borderEdit(index, [lineStyle](book::Edge& e) {
        e.style = borderStyleCode(lineStyle, e.style == 0 ? xl::kThin : weightOf(e.style));
    });
}

StyleEdit weightEdit(std::int32_t index, std::int32_t weight) {
    borderStyleCode(xl::kContinuous, weight);
    return borderEdit(index, [weight](book::Edge& e) {
        e.style = borderStyleCode(e.style == 0 ? xl::kContinuous : lineStyleOf(e.style), weight);
    });
}

StyleEdit colorEdit(std::int32_t index, std::int32_t colorIndex) {
    std::uint8_t color = paletteIndex(colorIndex);
    return borderEdit(index, [color](book::Edge& e) { e.color = color; });
}

void requireBorderIndex(std::int32_t index) {
    if (index < xl::kDiagonalDown || index > xl::kInsideHorizontal)
        throw AutomationError(errnum::kApplicationDefined,
                              "Borders(" + std::to_string(index) + ") is no border");
}

class EditableBorder : public automation::Border {
  public:
    EditableBorder(EditableRange range, std::int32_t index)
        : range_(std::move(range)), index_(index) {}

    void setLineStyle(std::int32_t lineStyle) override {
        range_.restyle(lineStyleEdit(index_, lineStyle));
    }
    void setWeight(std::int32_t weight) override { range_.restyle(weightEdit(index_, weight)); }
    void setColorIndex(std::int32_t colorIndex) override {
        range_.restyle(colorEdit(index_, colorIndex));
    }

  private:
    EditableRange range_;
    std::int32_t index_;
};

}  // namespace

automation::Variant EditableRange::value() const {
    const book::Sheet& sheet = sheet_.sheet();
    const book::Workbook& model = sheet_.state().model;
    if (area_.firstRow == area_.lastRow && area_.firstCol == area_.lastCol)
        return modelCellValue(model, sheet, area_.firstRow, area_.firstCol);
    std::int64_t cells = std::int64_t{rowCount()} * columnCount();
    if (cells > kMaxArrayCells)
        throw AutomationError(errnum::kApplicationDefined,
                              "range of " + std::to_string(cells) + " cells is too large a value");
    auto array = std::make_shared<automation::VariantArray>();
    array->rows = rowCount();
    array->columns = columnCount();
    for (std::int32_t r = area_.firstRow; r <= area_.lastRow; ++r)
        for (std::int32_t c = area_.firstCol; c <= area_.lastCol; ++c)
            array->items.push_back(modelCellValue(model, sheet, r, c));
    return std::shared_ptr<const automation::VariantArray>(std::move(array));
}

std::shared_ptr<automation::Worksheet> EditableRange::worksheet() const {
    return std::make_shared<EditableWorksheet>(sheet_);
}

void EditableRange::select() {
    editing([&] { sheet_.sheet().setSelection(area_.firstRow, area_.firstCol, area_); });
}

void EditableRange::setFormulaR1C1(const automation::Variant& value) {
    std::int64_t cells = std::int64_t{rowCount()} * columnCount();
    if (cells > kMaxArrayCells)
        throw AutomationError(errnum::kApplicationDefined,
                              "cannot enter a value into " + std::to_string(cells) + " cells");
    editing([&] {
        book::Sheet& sheet = sheet_.sheet();
        for (std::int32_t r = area_.firstRow; r <= area_.lastRow; ++r)
            for (std::int32_t c = area_.firstCol; c <= area_.lastCol; ++c)
                enterValue(sheet_.state().model, sheet, r, c, value);
    });
}

void EditableRange::deleteShift(std::int32_t shift) {
    if (shift != xl::kShiftUp)
        throw AutomationError(errnum::kApplicationDefined,
                              "only deleting with the cells below moving up is supported");
    if (!wholeRows(area_, sheet_.state().model.grid()))
        throw AutomationError(errnum::kApplicationDefined,
                              "only whole rows can be deleted in this engine");
    editing([&] { sheet_.sheet().deleteRows(area_.firstRow, area_.lastRow); });
}

void EditableRange::setColumnWidth(double width) {
    std::uint16_t units = columnWidthUnits(width);
    editing([&] {
        book::Sheet& sheet = sheet_.sheet();
        if (units == 0) {
            sheet.setColumnHidden(area_.firstCol, area_.lastCol, true);
        } else {
            sheet.setColumnWidth(area_.firstCol, area_.lastCol, units);
            sheet.setColumnHidden(area_.firstCol, area_.lastCol, false);
        }
    });
}

void EditableRange::setRowHeight(double height) {
    std::uint16_t twips = rowHeightTwips(height);
    editing([&] {
        book::Sheet& sheet = sheet_.sheet();
        for (std::int32_t r = area_.firstRow; r <= area_.lastRow; ++r) sheet.setRowHeight(r, twips);
    });
}

void EditableRange::setHorizontalAlignment(std::int32_t value) {
    std::uint8_t code = horizontalAlignmentCode(value);
    restyle([code](book::CellStyle& s, EdgePosition) {
        s.horizontal = code;
        s.alignmentUsed = true;
    });
}

void EditableRange::setVerticalAlignment(std::int32_t value) {
    std::uint8_t code = verticalAlignmentCode(value);
    restyle([code](book::CellStyle& s, EdgePosition) {
        s.vertical = code;
        s.alignmentUsed = true;
    });
}

void EditableRange::setOrientation(std::int32_t value) {
    std::uint8_t code = rotationCode(value);
    restyle([code](book::CellStyle& s, EdgePosition) {
        s.rotation = code;
        s.alignmentUsed = true;
    });
}

void EditableRange::setAddIndent(bool on) {
    // The format keeps this as the flag that justifies the last line of
    // distributed text, which is what the setting changes.
    restyle([on](book::CellStyle& s, EdgePosition) {
        s.justifyLast = on;
        s.alignmentUsed = true;
    });
}

void EditableRange::setIndentLevel(std::int32_t level) {
    if (level < 0 || level > 15)
        throw AutomationError(errnum::kApplicationDefined,
                              "IndentLevel " + std::to_string(level) + " is not 0 to 15");
    restyle([level](book::CellStyle& s, EdgePosition) {
        s.indent = static_cast<std::uint8_t>(level);
        s.alignmentUsed = true;
    });
}

void EditableRange::setWrapText(bool on) {
    restyle([on](book::CellStyle& s, EdgePosition) {
        s.wrap = on;
        s.alignmentUsed = true;
    });
}

void EditableRange::setShrinkToFit(bool on) {
    restyle([on](book::CellStyle& s, EdgePosition) {
        s.shrinkToFit = on;
        s.alignmentUsed = true;
    });
}

void EditableRange::setMergeCells(bool on) {
    editing([&] {
        book::Sheet& sheet = sheet_.sheet();
        sheet.removeMergedRanges(area_);
        if (on && (area_.firstRow != area_.lastRow || area_.firstCol != area_.lastCol))
            sheet.addMergedRange(area_);
    });
}

std::shared_ptr<automation::Interior> EditableRange::interior() {
    return std::make_shared<EditableInterior>(*this);
}

std::shared_ptr<automation::Border> EditableRange::borders(std::int32_t index) {
    requireBorderIndex(index);
    return std::make_shared<EditableBorder>(*this, index);
}

void EditableRange::setBorders(std::span<const automation::BorderSetting> settings) {
    // A setting refused on its own is left out here as well.
    std::vector<StyleEdit> edits;
    for (const automation::BorderSetting& b : settings) {
        if (!automation::ignoringFailure([&] { requireBorderIndex(b.index); })) continue;
        if (b.lineStyle)
            automation::ignoringFailure(
                [&] { edits.push_back(lineStyleEdit(b.index, *b.lineStyle)); });
        if (b.weight)
            automation::ignoringFailure([&] { edits.push_back(weightEdit(b.index, *b.weight)); });
        if (b.colorIndex)
            automation::ignoringFailure(
                [&] { edits.push_back(colorEdit(b.index, *b.colorIndex)); });
    }
    if (edits.empty()) return;
    // A list's block of rows is walked twice instead of once a setting; any
    // other range, or a failure, takes the settings one by one as before.
    bool together = false;
    automation::ignoringFailure([&] {
        editing([&] {
            together = applyStylesTogether(sheet_.state().model, sheet_.sheet(), area_, edits);
        });
    });
    if (together) return;
    for (const StyleEdit& edit : edits) automation::ignoringFailure([&] { restyle(edit); });
}

void EditableRange::restyle(const StyleEdit& edit) const {
    editing([&] { applyStyle(sheet_.state().model, sheet_.sheet(), area_, edit); });
}

}  // namespace xls::native
