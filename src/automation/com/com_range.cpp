#include "automation/com/com_objects.h"
#include "automation/com/late_bound_call.h"

namespace mokuji::com {

using Call = LateBoundCall;

const DispatchPtr& DispatchOf(const automation::Range& range) {
    if (auto com = dynamic_cast<const ComRange*>(&range)) return com->object();
    throw automation::AutomationError(automation::errnum::kTypeMismatch,
                                      "type mismatch: the range belongs to another application");
}

void ComInterior::setColorIndex(std::int32_t i) {
    Call(object(), "ColorIndex").put(EnumArgument(i));
}
void ComInterior::setPattern(std::int32_t p) {
    Call(object(), "Pattern").put(EnumArgument(p));
}

void ComBorder::setLineStyle(std::int32_t s) {
    Call(object(), "LineStyle").put(EnumArgument(s));
}
void ComBorder::setWeight(std::int32_t w) {
    Call(object(), "Weight").put(EnumArgument(w));
}
void ComBorder::setColorIndex(std::int32_t i) {
    Call(object(), "ColorIndex").put(EnumArgument(i));
}

automation::Variant ComRange::value() const {
    return ToAutomation(Call(object(), "Value").get().get());
}
std::int32_t ComRange::row() const {
    return ToLong(Call(object(), "Row").get().get());
}
std::int32_t ComRange::column() const {
    return ToLong(Call(object(), "Column").get().get());
}

std::int32_t ComRange::rowCount() const {
    return ToLong(Call(Call(object(), "Rows").object(), "Count").get().get());
}

std::int32_t ComRange::columnCount() const {
    return ToLong(Call(Call(object(), "Columns").object(), "Count").get().get());
}

std::shared_ptr<automation::Worksheet> ComRange::worksheet() const {
    return Wrap<ComWorksheet>(session(), Call(object(), "Worksheet").object());
}

void ComRange::select() {
    Call(object(), "Select").method();
}
void ComRange::setFormulaR1C1(const automation::Variant& v) {
    Call(object(), "FormulaR1C1").put(ComVariant(v));
}
void ComRange::deleteShift(std::int32_t shift) {
    Call(object(), "Delete").named("Shift", EnumArgument(shift)).method();
}
void ComRange::setColumnWidth(double w) {
    Call(object(), "ColumnWidth").put(w);
}
void ComRange::setRowHeight(double h) {
    Call(object(), "RowHeight").put(h);
}
void ComRange::setHorizontalAlignment(std::int32_t a) {
    Call(object(), "HorizontalAlignment").put(EnumArgument(a));
}
void ComRange::setVerticalAlignment(std::int32_t a) {
    Call(object(), "VerticalAlignment").put(EnumArgument(a));
}
void ComRange::setOrientation(std::int32_t o) {
    Call(object(), "Orientation").put(EnumArgument(o));
}
void ComRange::setAddIndent(bool on) {
    Call(object(), "AddIndent").put(on);
}
void ComRange::setIndentLevel(std::int32_t level) {
    Call(object(), "IndentLevel").put(EnumArgument(level));
}
void ComRange::setWrapText(bool on) {
    Call(object(), "WrapText").put(on);
}
void ComRange::setShrinkToFit(bool on) {
    Call(object(), "ShrinkToFit").put(on);
}
void ComRange::setMergeCells(bool on) {
    Call(object(), "MergeCells").put(on);
}

std::shared_ptr<automation::Interior> ComRange::interior() {
    return Wrap<ComInterior>(session(), Call(object(), "Interior").object());
}

std::shared_ptr<automation::Border> ComRange::borders(std::int32_t index) {
    auto borders = Call(object(), "Borders").object();
    return Wrap<ComBorder>(session(), Call(borders, "Item").arg(EnumArgument(index)).object());
}

}  // namespace mokuji::com
