#include "automation/native/name_lookup.h"
#include "native/text/ascii.h"

#include "automation/native/native_objects.h"
#include "native/formula/a1_reference.h"
#include "native/formula/name_formula.h"
#include "native/formula/sheet_name.h"

namespace xls::native {

namespace {

using automation::AutomationError;

std::optional<std::size_t> sheetByName(const WorkbookData& book, std::string_view name) {
    const auto& sheets = book.globals().sheets;
    for (std::size_t i = 0; i < sheets.size(); ++i)
        if (text::equalsIgnoringAsciiCase(sheets[i].name, name)) return i;
    return std::nullopt;
}

// Some writers leave out SUPBOOK altogether; their references can only be
// to the workbook itself.
bool isOwnWorkbook(const biff::Globals& g, std::uint16_t ixti) {
    if (ixti >= g.externSheet.size()) return false;
    const auto& xti = g.externSheet[ixti];
    return g.supbooks.empty() || (xti.supBook < g.supbooks.size() &&
                                  g.supbooks[xti.supBook].kind == biff::SupBook::Kind::Self);
}

formula::SheetRangeOfXti internalSheets(const WorkbookData& book) {
    return [&book](std::uint16_t ixti) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        const auto& g = book.globals();
        if (!isOwnWorkbook(g, ixti)) return std::nullopt;
        const auto& xti = g.externSheet[ixti];
        if (xti.firstSheet < 0 || xti.lastSheet < xti.firstSheet ||
            static_cast<std::size_t>(xti.lastSheet) >= g.sheets.size())
            return std::nullopt;
        return std::pair<std::int32_t, std::int32_t>{xti.firstSheet, xti.lastSheet};
    };
}

// Names inside a name formula point at NAME records by their 1-based
// position in the file, whatever their scope.
formula::NameFormulaContext nameContext(const WorkbookData& book) {
    formula::NameFormulaContext context;
    context.sheetRange = internalSheets(book);
    context.formulaOfName = [&book](std::uint32_t index) -> std::span<const std::uint8_t> {
        const auto& names = book.globals().names;
        if (index == 0 || index > names.size()) return {};
        return names[index - 1].rgce;
    };
    context.ownWorkbook = [&book](std::uint16_t ixti) {
        return isOwnWorkbook(book.globals(), ixti);
    };
    return context;
}

[[noreturn]] void noSuchRange(const std::string& text) {
    throw AutomationError(automation::errnum::kApplicationDefined,
                          "'" + text + "' is neither a cell reference nor a name of a range");
}

std::shared_ptr<automation::Range> rangeOf(const std::shared_ptr<WorkbookData>& book,
                                           const biff::DefinedName& name, const std::string& text) {
    auto area = nameArea(*book, name);
    if (!area) noSuchRange(text);
    return std::make_shared<NativeRange>(book, static_cast<std::size_t>(area->firstSheet),
                                         area->area);
}

}  // namespace

std::string nameText(const WorkbookData& book, const biff::DefinedName& name) {
    const auto& sheets = book.globals().sheets;
    if (name.sheetIndex == 0 || name.sheetIndex > sheets.size()) return name.name;
    return formula::quotedSheetName(sheets[name.sheetIndex - 1].name) + "!" + name.name;
}

std::optional<formula::SheetArea> nameArea(const WorkbookData& book,
                                           const biff::DefinedName& name) {
    auto areas = formula::nameFormulaAreas(name.rgce, nameContext(book));
    if (areas.empty() || areas.front().firstSheet != areas.front().lastSheet) return std::nullopt;
    return areas.front();
}

std::shared_ptr<automation::Range> resolveRange(const std::shared_ptr<WorkbookData>& book,
                                                std::size_t activeSheet, const std::string& text) {
    if (auto ref = formula::parseA1Reference(text)) {
        std::size_t sheet = activeSheet;
        if (ref->sheet) {
            auto found = sheetByName(*book, *ref->sheet);
            if (!found) noSuchRange(text);
            sheet = *found;
        }
        if (book->globals().sheets[sheet].kind != biff::SheetKind::Worksheet) noSuchRange(text);
        return std::make_shared<NativeRange>(book, sheet, ref->area);
    }

    const auto& names = book->globals().names;
    std::string_view nameOnly = text;
    std::optional<std::size_t> scope;  // 1-based sheet of a "Sheet!name" text
    if (auto bang = text.rfind('!'); bang != std::string::npos) {
        std::string sheetPart = formula::unquotedSheetName(std::string_view(text).substr(0, bang));
        auto found = sheetByName(*book, sheetPart);
        if (!found) noSuchRange(text);
        scope = *found + 1;
        nameOnly = std::string_view(text).substr(bang + 1);
    }

    auto find = [&](std::size_t sheetIndex) -> const biff::DefinedName* {
        for (const auto& n : names)
            if (n.sheetIndex == sheetIndex && text::equalsIgnoringAsciiCase(n.name, nameOnly))
                return &n;
        return nullptr;
    };
    if (scope) {
        if (auto n = find(*scope)) return rangeOf(book, *n, text);
        noSuchRange(text);
    }
    if (auto n = find(activeSheet + 1)) return rangeOf(book, *n, text);
    if (auto n = find(0)) return rangeOf(book, *n, text);
    noSuchRange(text);
}

}  // namespace xls::native
