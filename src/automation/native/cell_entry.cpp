#include "automation/native/cell_entry.h"

#include "automation/automation_error.h"
#include "native/input/entry_text.h"
#include "native/input/typed_value.h"

namespace xls::native {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;

constexpr std::uint16_t kGeneral = 0;

// General under its own number, as other programs write it.
bool isGeneral(const book::Workbook& model, std::uint16_t id) {
    if (id == kGeneral) return true;
    const std::string code = model.numberFormatCode(id);
    return code == "G/標準" ||
           (code.size() == 7 && (code[0] == 'G' || code[0] == 'g') && code.substr(1) == "eneral");
}

// Typing "50%" or "2005/3/14" into a cell formatted General gives it the
// matching format; a cell that has a number format of its own keeps it.
std::uint16_t withImpliedFormat(book::Workbook& model, std::uint16_t xf, const std::string& code) {
    if (code.empty()) return xf;
    book::CellStyle style = model.style(xf);
    if (!isGeneral(model, style.numberFormat)) return xf;
    style.numberFormat = model.addNumberFormat(code);
    style.numberFormatUsed = true;
    return model.styleIndex(style);
}

// A date entered as a value shows the same in every reader: its format is
// written out as a code of its own, as is a built-in date format the cell
// had, which readers would otherwise show in their own locale's order.
std::uint16_t withDateFormat(book::Workbook& model, std::uint16_t xf, const std::string& code) {
    book::CellStyle style = model.style(xf);
    const std::uint16_t id = style.numberFormat;
    const bool localeDate = id == 14 || id == 22;
    if (!localeDate && !isGeneral(model, id)) return xf;
    style.numberFormat =
        model.addExplicitNumberFormat(localeDate ? model.numberFormatCode(id) : code);
    style.numberFormatUsed = true;
    return model.styleIndex(style);
}

// An entry that began with an apostrophe is stored as text and its format
// remembers the prefix, so the text shows as typed.
std::uint16_t withTextPrefix(book::Workbook& model, std::uint16_t xf) {
    book::CellStyle style = model.style(xf);
    if (style.lotusPrefix) return xf;
    style.lotusPrefix = true;
    return model.styleIndex(style);
}

void enterText(book::Workbook& model, book::Sheet& sheet, std::uint32_t row, std::uint32_t col,
               const std::string& text, std::uint16_t xf) {
    using Kind = input::TypedValue::Kind;
    // An apostrophe makes the rest text, and a list enters every text so:
    // that much is known without recognising anything.
    const bool forcedText = !text.empty() && text.front() == '\'';
    input::TypedValue typed;
    if (forcedText) {
        typed.text = input::wellFormedUtf8(std::string_view(text).substr(1));
    } else {
        typed = input::parseTypedEntry(text, model.date1904());
    }
    switch (typed.kind) {
        case Kind::Text:
            if (forcedText) xf = withTextPrefix(model, xf);
            if (typed.text.empty()) {
                sheet.setBlank(row, col, xf);
            } else {
                sheet.setText(row, col, std::move(typed.text), xf);
            }
            return;
        case Kind::Number:
            sheet.setNumber(row, col, typed.number,
                            withImpliedFormat(model, xf, typed.numberFormat));
            return;
        case Kind::Boolean:
            sheet.setBoolean(row, col, typed.boolean, xf);
            return;
        case Kind::Error:
            sheet.setError(row, col, static_cast<std::uint8_t>(typed.errorCode), xf);
            return;
        case Kind::Formula:
            break;
    }
    throw AutomationError(errnum::kApplicationDefined,
                          "cannot enter the formula '" + text + "': this engine keeps no formulas");
}

}  // namespace

std::uint16_t formatForEntry(const book::Sheet& sheet, std::uint32_t row, std::uint32_t col) {
    if (const book::Cell* cell = sheet.find(row, col)) return cell->xf;
    if (auto rowXf = sheet.rowXf(row)) return *rowXf;
    return sheet.columnXf(col);
}

std::uint16_t usableCellFormat(book::Workbook& model, std::uint16_t xf) {
    if (xf < model.styleCount() && !model.style(xf).isStyle) return xf;
    // Other programs number their formats their own way: the 15 that a
    // cell without a format of its own stands for may be a style format
    // there, or missing. A cell format based on that style (else on the
    // Normal style) shows the same.
    book::CellStyle style = book::defaultCellStyle();
    style.parent = xf < model.styleCount() ? xf : 0;
    if (style.parent >= model.styleCount() || !model.style(style.parent).isStyle) {
        for (std::uint16_t i = 0; i < model.styleCount(); ++i) {
            if (model.style(i).isStyle) {
                style.parent = i;
                break;
            }
        }
    }
    return model.styleIndex(style);
}

void enterValue(book::Workbook& model, book::Sheet& sheet, std::uint32_t row, std::uint32_t col,
                const automation::Variant& value) {
    const std::uint16_t entryXf = formatForEntry(sheet, row, col);
    using Type = automation::Variant::Type;
    if (value.type() == Type::Empty && entryXf == 15) {
        sheet.eraseCell(row, col);
        return;
    }
    const std::uint16_t xf = usableCellFormat(model, entryXf);
    switch (value.type()) {
        case Type::Empty:
            sheet.setBlank(row, col, xf);
            return;
        case Type::String:
            enterText(model, sheet, row, col, *value.get<std::string>(), xf);
            return;
        case Type::Integer:
            sheet.setNumber(row, col, *value.get<std::int16_t>(), xf);
            return;
        case Type::Long:
            sheet.setNumber(row, col, *value.get<std::int32_t>(), xf);
            return;
        case Type::Double:
            sheet.setNumber(row, col, *value.get<double>(), xf);
            return;
        case Type::Currency:
            sheet.setNumber(
                row, col, static_cast<double>(value.get<automation::Currency>()->scaled) / 1e4, xf);
            return;
        case Type::Date: {
            double serial = value.get<automation::Date>()->serial;
            bool timeOnly = serial >= 0 && serial < 1;
            bool hasTime = serial != static_cast<double>(static_cast<long long>(serial));
            const char* code = timeOnly ? "h:mm:ss" : hasTime ? "yyyy/m/d h:mm" : "yyyy/m/d";
            // Dates pass as serials of the 1900 system; see the 1904 offset.
            double stored = model.date1904() ? serial - 1462
                                             : (serial < 61 && serial >= 1 ? serial - 1 : serial);
            sheet.setNumber(row, col, stored, withDateFormat(model, xf, code));
            return;
        }
        case Type::Boolean:
            sheet.setBoolean(row, col, *value.get<bool>(), xf);
            return;
        case Type::Error:
            sheet.setError(
                row, col,
                static_cast<std::uint8_t>(value.get<automation::ErrorValue>()->code - 2000), xf);
            return;
        case Type::Array:
            break;
    }
    throw AutomationError(errnum::kTypeMismatch, "an array cannot be entered into one cell");
}

}  // namespace xls::native
