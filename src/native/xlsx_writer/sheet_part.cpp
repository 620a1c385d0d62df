#include "native/xlsx_writer/sheet_part.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "native/biff/worksheet.h"
#include "native/text/hex.h"
#include "native/xlsx_writer/xml_out.h"

namespace xls::xlsx_writer {

namespace {

std::string areaReference(const formula::Area& a) {
    const std::string first = cellReference(static_cast<std::uint32_t>(a.firstRow),
                                            static_cast<std::uint32_t>(a.firstCol));
    if (a.firstRow == a.lastRow && a.firstCol == a.lastCol) return first;
    return first + ":" +
           cellReference(static_cast<std::uint32_t>(a.lastRow),
                         static_cast<std::uint32_t>(a.lastCol));
}

// A path as a relationship's target: folders by "/", and what a URI
// gives a meaning to escaped; letters beyond ASCII stay as they are.
std::string uriPath(std::string_view path) {
    std::string out;
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\\') {
            out += '/';
        } else if (c <= 0x20 || c == 0x7F ||
                   std::string_view("\"%<>^`{|}#?[]").find(ch) != std::string_view::npos) {
            out += '%' + text::hexDigits(c, 2);
        } else {
            out += ch;
        }
    }
    return out;
}

void appendNumber(std::string& out, std::uint64_t n) {
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, n).ptr;
    out.append(buffer, end);
}

// A long list is hundreds of thousands of cells: each is appended in place,
// without a string of its own.
// A cell kept with the formula it was read with: the formula, then its
// value as the result the formula last gave.
void appendFormulaCell(std::string& out, const book::Cell& cell, const std::string& formula) {
    switch (cell.kind) {
        case book::Cell::Kind::Number:
            out += ">" + formula + "<v>";
            out += numberText(cell.number);
            out += "</v></c>";
            return;
        case book::Cell::Kind::Text:
            out += " t=\"str\">" + formula + "<v>";
            appendText(out, cell.text.view());
            out += "</v></c>";
            return;
        case book::Cell::Kind::Boolean:
            out += " t=\"b\">" + formula + (cell.code ? "<v>1</v></c>" : "<v>0</v></c>");
            return;
        case book::Cell::Kind::Error:
            out += " t=\"e\">" + formula + "<v>";
            out += biff::cellErrorText(cell.code).empty() ? "#N/A" : biff::cellErrorText(cell.code);
            out += "</v></c>";
            return;
        default:
            out += ">" + formula + "</c>";
            return;
    }
}

void appendCell(std::string& out, const book::Cell& cell,
                const std::vector<std::uint32_t>& cellXfIndex, CellStrings& strings,
                const CellFormulas* formulas) {
    book::Cell::Kind kind = cell.kind == book::Cell::Kind::Formula ? cell.result : cell.kind;
    out += "<c r=\"";
    appendCellReference(out, cell.row, cell.col);
    out += '"';
    const std::uint32_t xf = cell.xf < cellXfIndex.size() ? cellXfIndex[cell.xf] : 0;
    if (xf != 0) {
        out += " s=\"";
        appendNumber(out, xf);
        out += '"';
    }
    if (formulas)
        if (const std::string* formula = formulas->formulaOf(cell))
            return appendFormulaCell(out, cell, *formula);
    switch (kind) {
        case book::Cell::Kind::Number:
            out += "><v>";
            out += numberText(cell.number);
            out += "</v></c>";
            return;
        case book::Cell::Kind::Text:
            strings.appendCellText(out, cell.text);
            return;
        case book::Cell::Kind::Boolean:
            out += cell.code ? " t=\"b\"><v>1</v></c>" : " t=\"b\"><v>0</v></c>";
            return;
        case book::Cell::Kind::Error:
            out += " t=\"e\"><v>";
            // A code no cell should hold is still an error, the commonest.
            out += biff::cellErrorText(cell.code).empty() ? "#N/A" : biff::cellErrorText(cell.code);
            out += "</v></c>";
            return;
        default:
            out += "/>";
            return;
    }
}

}  // namespace

std::uint32_t SharedStrings::index(const std::string& text) {
    ++uses_;
    auto [it, added] = seen_.try_emplace(text, static_cast<std::uint32_t>(order_.size()));
    if (added) order_.push_back(&it->first);
    return it->second;
}

void SharedStrings::appendCellText(std::string& out, const std::string& text) {
    out += " t=\"s\"><v>";
    appendNumber(out, index(text));
    out += "</v></c>";
}

std::string SharedStrings::xml() const {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" count=\"" +
        std::to_string(uses_) + "\" uniqueCount=\"" + std::to_string(order_.size()) + "\">";
    for (const std::string* text : order_) {
        // Blanks at either end are kept only when the reader is told to.
        const bool keepBlanks =
            !text->empty() && (std::isspace(static_cast<unsigned char>(text->front())) ||
                               std::isspace(static_cast<unsigned char>(text->back())));
        out += keepBlanks ? "<si><t xml:space=\"preserve\">" : "<si><t>";
        appendText(out, *text);
        out += "</t></si>";
    }
    return out + "</sst>";
}

std::string linkTarget(const book::Hyperlink& link) {
    switch (link.kind) {
        case book::LinkKind::RelativeFile: {
            std::string up;
            for (std::uint16_t i = 0; i < link.upLevels; ++i) up += "../";
            return up + uriPath(link.target);
        }
        case book::LinkKind::AbsoluteFile:
            return "file:///" + uriPath(link.target);
        default:
            return link.target;
    }
}

SheetBody writeSheetBody(const book::Sheet& sheet, const std::vector<std::uint32_t>& cellXfIndex,
                         CellStrings& strings, std::string_view relPrefix,
                         const CellFormulas* formulas) {
    SheetBody part;
    // Neighbouring columns alike are one <col> element.
    std::string cols;
    const auto columns = static_cast<std::uint32_t>(sheet.grid().lastCol) + 1;
    for (std::uint32_t c = 0; c < columns;) {
        const book::ColumnInfo& info = sheet.column(c);
        std::uint32_t last = c;
        while (last + 1 < columns && sheet.column(last + 1) == info) ++last;
        if (info.present) {
            cols += "<col min=\"" + std::to_string(c + 1) + "\" max=\"" + std::to_string(last + 1) +
                    "\" width=\"" + numberText(info.width / 256.0) + "\" customWidth=\"1\"";
            const std::uint32_t xf = info.xf < cellXfIndex.size() ? cellXfIndex[info.xf] : 0;
            if (xf != 0) cols += " style=\"" + std::to_string(xf) + "\"";
            if (info.hidden) cols += " hidden=\"1\"";
            cols += "/>";
        }
        c = last + 1;
    }
    if (!cols.empty()) part.cols = "<cols>" + cols + "</cols>";

    std::string& out = part.sheetData;
    out += "<sheetData>";
    const std::uint32_t rowEnd = std::max<std::uint32_t>(
        sheet.cells().rowEnd(), sheet.rows().empty() ? 0 : sheet.rows().rbegin()->first + 1u);
    std::uint32_t lastCol = 0;
    std::optional<std::uint32_t> firstRow, firstCol;
    for (std::uint32_t r = 0; r < rowEnd; ++r) {
        const book::RowInfo* info = sheet.row(r);
        const bool hasCells = sheet.cells().rowHasCells(r);
        if (!info && !hasCells) continue;
        out += "<row r=\"" + std::to_string(r + 1) + "\"";
        if (info) {
            if (info->hasXf) {
                const std::uint32_t xf = info->xf < cellXfIndex.size() ? cellXfIndex[info->xf] : 0;
                out += " s=\"" + std::to_string(xf) + "\" customFormat=\"1\"";
            }
            if (info->customHeight || info->hidden)
                out += " ht=\"" + numberText(info->height / 20.0) + "\" customHeight=\"1\"";
            if (info->hidden) out += " hidden=\"1\"";
        }
        if (!hasCells) {
            out += "/>";
            continue;
        }
        out += ">";
        sheet.cells().visitRow(r, [&](std::span<const book::Cell> cells) {
            for (const book::Cell& cell : cells) {
                appendCell(out, cell, cellXfIndex, strings, formulas);
                if (!firstRow) firstRow = r;
                firstCol = std::min<std::uint32_t>(firstCol.value_or(cell.col), cell.col);
                lastCol = std::max<std::uint32_t>(lastCol, cell.col);
            }
        });
        out += "</row>";
    }
    out += "</sheetData>";
    if (firstRow)
        part.dimension = "<dimension ref=\"" +
                         areaReference({static_cast<std::int32_t>(*firstRow),
                                        static_cast<std::int32_t>(*firstCol),
                                        static_cast<std::int32_t>(sheet.cells().rowEnd() - 1),
                                        static_cast<std::int32_t>(lastCol)}) +
                         "\"/>";

    if (!sheet.mergedRanges().empty()) {
        part.mergeCells =
            "<mergeCells count=\"" + std::to_string(sheet.mergedRanges().size()) + "\">";
        for (const formula::Area& a : sheet.mergedRanges())
            part.mergeCells += "<mergeCell ref=\"" + areaReference(a) + "\"/>";
        part.mergeCells += "</mergeCells>";
    }

    std::string links;
    std::string& rels = part.linkRelationships;
    int rid = 0;
    for (const book::Hyperlink& link : sheet.hyperlinks()) {
        links += "<hyperlink ref=\"" + areaReference(link.area) + "\"";
        if (!link.target.empty()) {
            const std::string id = std::string(relPrefix) + std::to_string(++rid);
            links += " r:id=\"" + id + "\"";
            rels += "<Relationship Id=\"" + id +
                    "\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                    "relationships/hyperlink\" Target=\"";
            appendAttribute(rels, linkTarget(link));
            rels += "\" TargetMode=\"External\"/>";
        }
        if (!link.location.empty()) {
            links += " location=\"";
            appendAttribute(links, link.location);
            links += "\"";
        }
        if (!link.display.empty()) {
            links += " display=\"";
            appendAttribute(links, link.display);
            links += "\"";
        }
        links += "/>";
    }
    if (!links.empty()) part.hyperlinks = "<hyperlinks>" + links + "</hyperlinks>";
    return part;
}

std::string relationshipsXml(std::string_view relationships) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
           "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
           "relationships\">" +
           std::string(relationships) + "</Relationships>";
}

SheetPart writeSheet(const book::Sheet& sheet, const std::vector<std::uint32_t>& cellXfIndex,
                     CellStrings& strings) {
    SheetBody body = writeSheetBody(sheet, cellXfIndex, strings, "rId");
    SheetPart part;
    std::string& out = part.xml;
    out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    const book::Selection selection = sheet.selection();
    out += "<sheetViews><sheetView workbookViewId=\"0\"";
    if (sheet.tabSelected()) out += " tabSelected=\"1\"";
    out += "><selection activeCell=\"" + cellReference(selection.activeRow, selection.activeCol) +
           "\" sqref=\"" + areaReference(selection.area) + "\"/></sheetView></sheetViews>";
    out += "<sheetFormatPr defaultRowHeight=\"" + numberText(sheet.defaultRowHeight() / 20.0) +
           "\" baseColWidth=\"" + std::to_string(sheet.defaultColumnWidth()) + "\"/>";
    out += body.cols;
    out += body.sheetData;
    out += body.mergeCells;
    out += body.hyperlinks;
    out +=
        "<pageMargins left=\"0.7\" right=\"0.7\" top=\"0.75\" bottom=\"0.75\" header=\"0.3\" "
        "footer=\"0.3\"/></worksheet>";
    if (!body.linkRelationships.empty()) part.relsXml = relationshipsXml(body.linkRelationships);
    return part;
}

}  // namespace xls::xlsx_writer
