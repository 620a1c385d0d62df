#include <cstdio>

#include "native/biff/worksheet.h"
#include "native/formula/a1_notation.h"
#include "native/formula/name_formula.h"
#include "native/formula/name_tokens.h"
#include "native/formula/sheet_name.h"

namespace xls::formula {

namespace {

// Up to 15 significant digits, the precision the application shows.
std::string numberText(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.15g", value);
    std::string text = buffer;
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

std::string constantText(const NameConstant& constant) {
    if (const auto* number = std::get_if<double>(&constant)) return numberText(*number);
    if (const auto* flag = std::get_if<bool>(&constant)) return *flag ? "TRUE" : "FALSE";
    if (const auto* error = std::get_if<ErrorConstant>(&constant))
        return std::string(biff::cellErrorText(error->code));
    std::string quoted = "\"";
    for (char c : std::get<std::string>(constant)) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + "\"";
}

// Whole columns and whole rows are written the short way ($A:$B, $1:$3),
// a one-cell area as the cell, as the application shows them.
std::string areaText(const SheetRef& ref, const Grid& grid) {
    const Area& a = ref.area;
    if (ref.singleCell || (a.firstRow == a.lastRow && a.firstCol == a.lastCol))
        return cellName(a.firstRow, a.firstCol, !ref.firstRowRelative, !ref.firstColRelative);
    if (a.firstRow == 0 && a.lastRow == kLastRow) {
        return (ref.firstColRelative ? "" : "$") + columnName(a.firstCol) + ":" +
               (ref.lastColRelative ? "" : "$") + columnName(a.lastCol);
    }
    if (a.firstCol == 0 && a.lastCol == grid.lastCol) {
        return (ref.firstRowRelative ? "" : "$") + std::to_string(a.firstRow + 1) + ":" +
               (ref.lastRowRelative ? "" : "$") + std::to_string(a.lastRow + 1);
    }
    return cellName(a.firstRow, a.firstCol, !ref.firstRowRelative, !ref.firstColRelative) + ":" +
           cellName(a.lastRow, a.lastCol, !ref.lastRowRelative, !ref.lastColRelative);
}

std::optional<std::string> sheetPrefix(std::uint16_t ixti, const SheetRangeOfXti& sheetRange,
                                       const std::vector<std::string>& sheetNames) {
    const auto sheets = sheetRange ? sheetRange(ixti) : std::nullopt;
    if (!sheets) return std::nullopt;
    const auto [first, last] = *sheets;
    const auto count = static_cast<std::int64_t>(sheetNames.size());
    if (first < 0 || last < first || last >= count) return std::nullopt;
    const std::string& firstName = sheetNames[static_cast<std::size_t>(first)];
    if (first == last) return quotedSheetName(firstName) + "!";
    const std::string& lastName = sheetNames[static_cast<std::size_t>(last)];
    const std::string span = firstName + ":" + lastName;
    if (sheetNameNeedsQuotes(firstName) || sheetNameNeedsQuotes(lastName))
        return quotedSheetName(span) + "!";
    return span + "!";
}

std::string referencesText(const ReferenceList& list, const SheetRangeOfXti& sheetRange,
                           const std::vector<std::string>& sheetNames, const Grid& grid) {
    std::string text;
    for (const SheetRef& ref : list.refs) {
        const std::optional<std::string> prefix = sheetPrefix(ref.ixti, sheetRange, sheetNames);
        if (!text.empty()) text += ',';
        if (!prefix) {
            // A lone deleted reference to an unknown sheet still reads as
            // #REF!; anything else outside this workbook has no text here.
            if (!ref.deleted || list.refs.size() != 1) return "";
            text += "#REF!";
            continue;
        }
        text += *prefix + (ref.deleted ? "#REF!" : areaText(ref, grid));
    }
    return list.parenthesised ? "(" + text + ")" : text;
}

}  // namespace

std::string nameFormulaText(std::span<const std::uint8_t> rgce, const SheetRangeOfXti& sheetRange,
                            const std::vector<std::string>& sheetNames, const Grid& grid) {
    const std::optional<NameFormula> formula = decodeNameFormula(rgce, grid);
    if (!formula) return "";
    std::string body;
    if (const auto* list = std::get_if<ReferenceList>(&*formula))
        body = referencesText(*list, sheetRange, sheetNames, grid);
    else
        body = constantText(std::get<NameConstant>(*formula));
    return body.empty() ? "" : "=" + body;
}

}  // namespace xls::formula
