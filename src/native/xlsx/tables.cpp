#include "native/xlsx/tables.h"

#include "native/formula/a1_reference.h"
#include "native/input/entry_text.h"
#include "native/text/ascii.h"
#include "native/xlsx/cell_text.h"
#include "native/xlsx/xlsx_error.h"

namespace xls::xlsx {

namespace {

std::int32_t countOf(const Element& e, std::string_view attribute, std::int32_t otherwise) {
    auto v = numberOf(e.attribute(attribute).value_or(""));
    return v && *v >= 0 && *v <= 2 ? static_cast<std::int32_t>(*v) : otherwise;
}

// A column name as written in brackets, its escapes ('[, '], '#, '') undone.
std::string columnName(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\'' && i + 1 < s.size()) ++i;
        out += s[i];
    }
    return out;
}

// The items of a specifier: "[#Data],[Col]" gives #Data and Col;
// "[A]:[B]" gives A and :B; a lone item is itself.
std::vector<std::string> itemsOf(std::string_view spec) {
    std::vector<std::string> items;
    spec = input::trimBlanks(spec);
    if (spec.empty() || spec.front() != '[') {
        items.push_back(columnName(spec));
        return items;
    }
    std::size_t i = 0;
    while (i < spec.size()) {
        while (i < spec.size() && (spec[i] == ',' || spec[i] == ' ')) ++i;
        bool range = false;
        if (i < spec.size() && spec[i] == ':') {
            range = true;
            ++i;
        }
        if (i >= spec.size() || spec[i] != '[') return {};
        std::size_t end = i + 1;
        while (end < spec.size() && spec[end] != ']') end += spec[end] == '\'' ? 2 : 1;
        if (end >= spec.size()) return {};
        items.push_back((range ? ":" : "") + columnName(spec.substr(i + 1, end - i - 1)));
        i = end + 1;
    }
    return items;
}

}  // namespace

std::vector<Table> readTables(const Package& package, const std::vector<std::string>& sheetParts) {
    std::vector<Table> tables;
    for (std::size_t sheet = 0; sheet < sheetParts.size(); ++sheet) {
        if (sheetParts[sheet].empty()) continue;
        try {
            for (const auto& rel : package.relationships(sheetParts[sheet])) {
                if (rel.external || !rel.is("table") || !package.has(rel.target)) continue;
                Element root = package.readTree(rel.target);
                auto ref = formula::parseA1Reference(root.attribute("ref").value_or(""));
                if (!ref || ref->sheet) continue;
                Table t;
                t.name = std::string(
                    root.attribute("displayName").value_or(root.attribute("name").value_or("")));
                t.sheet = sheet;
                t.area = ref->area;
                t.headerRows = countOf(root, "headerRowCount", 1);
                t.totalsRows = countOf(root, "totalsRowCount", 0);
                if (const Element* columns = root.child("tableColumns"))
                    for (const Element* c : columns->childrenNamed("tableColumn"))
                        t.columns.push_back(unescapedText(c->attribute("name").value_or("")));
                tables.push_back(std::move(t));
            }
        } catch (const XlsxError&) {
            // Names over this sheet's tables lose their range; nothing else.
        }
    }
    return tables;
}

std::optional<formula::Area> tableArea(const Table& table, std::string_view specifier) {
    formula::Area rows = table.area;
    const std::int32_t dataFirst = table.area.firstRow + table.headerRows;
    const std::int32_t dataLast = table.area.lastRow - table.totalsRows;
    rows.firstRow = dataFirst;
    rows.lastRow = dataLast;
    std::optional<std::int32_t> firstCol, lastCol;
    const std::vector<std::string> items = itemsOf(specifier);
    if (items.empty()) return std::nullopt;
    for (const std::string& item : items) {
        if (item.empty() || item == "#Data") continue;
        if (item == "#All") {
            rows.firstRow = table.area.firstRow;
            rows.lastRow = table.area.lastRow;
        } else if (item == "#Headers") {
            if (table.headerRows == 0) return std::nullopt;
            rows.firstRow = rows.lastRow = table.area.firstRow;
        } else if (item == "#Totals") {
            if (table.totalsRows == 0) return std::nullopt;
            rows.firstRow = rows.lastRow = table.area.lastRow;
        } else if (item.front() == '#') {
            return std::nullopt;
        } else {
            const bool to = item.front() == ':';
            std::string_view name = to ? std::string_view(item).substr(1) : std::string_view(item);
            std::optional<std::int32_t> col;
            for (std::size_t c = 0; c < table.columns.size(); ++c)
                if (text::equalsIgnoringAsciiCase(table.columns[c], name))
                    col = table.area.firstCol + static_cast<std::int32_t>(c);
            if (!col || *col > table.area.lastCol) return std::nullopt;
            if (!to) firstCol = col;
            lastCol = col;
        }
    }
    if (firstCol) {
        rows.firstCol = *firstCol;
        rows.lastCol = std::max(*firstCol, *lastCol);
    }
    if (rows.firstRow > rows.lastRow) return std::nullopt;
    return rows;
}

}  // namespace xls::xlsx
