#include "native/xlsx_update/package_import.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "native/crypto/sha1.h"
#include "native/formula/name_formula.h"
#include "native/formula/name_formula_compiler.h"
#include "native/text/ascii.h"
#include "native/xlsx/cell_text.h"
#include "native/xlsx/package.h"
#include "native/xlsx/shared_strings.h"
#include "native/xlsx/sheet_cells.h"
#include "native/xlsx/xlsx_error.h"
#include "native/xlsx_update/element_outline.h"
#include "native/xlsx_writer/sheet_part.h"
#include "native/xlsx_writer/styles_part.h"
#include "native/xlsx_writer/xml_out.h"
#include "native/xml/xml_parser.h"

namespace xls::xlsx_update {

namespace {

using xlsx::Element;
using xlsx::XlsxError;

constexpr std::string_view kBuiltinPrefix = "_xlnm.";
constexpr std::uint64_t kMaxSheetBytes = 4ull << 30;

const xlsx::Relationship* relationshipOf(const std::vector<xlsx::Relationship>& rels,
                                         std::string_view kind) {
    for (const auto& r : rels)
        if (!r.external && r.is(kind)) return &r;
    return nullptr;
}

std::uint32_t wholeNumber(std::optional<std::string_view> text, std::uint32_t fallback = 0) {
    if (!text) return fallback;
    auto n = xlsx::numberOf(*text);
    if (!n || *n < 0 || *n > 4e9 || std::floor(*n) != *n) return fallback;
    return static_cast<std::uint32_t>(*n);
}

double decimal(std::optional<std::string_view> text, double fallback = 0) {
    if (!text) return fallback;
    auto n = xlsx::numberOf(*text);
    return n && std::isfinite(*n) ? *n : fallback;
}

template <std::size_t N>
std::uint8_t indexOfName(std::optional<std::string_view> text,
                         const std::array<const char*, N>& names, std::uint8_t fallback) {
    if (!text) return fallback;
    for (std::size_t i = 0; i < N; ++i)
        if (*text == names[i]) return static_cast<std::uint8_t>(i);
    return fallback;
}

// A colour as the binary model holds one: the palette index when the
// package names one, else the automatic colour.
std::uint16_t paletteIndex(const Element* color, std::uint16_t automatic) {
    if (!color) return automatic;
    const std::uint32_t indexed = wholeNumber(color->attribute("indexed"), automatic);
    return static_cast<std::uint16_t>(std::min<std::uint32_t>(indexed, 0x7FFF));
}

biff::Font fontOf(const Element& font) {
    biff::Font f;
    auto flag = [&](std::string_view local) {
        const Element* e = font.child(local);
        return e && (!e->attribute("val") || xlsx::isTrue(e->attribute("val")));
    };
    if (flag("b")) f.weight = 700;
    f.italic = flag("i");
    f.strikeout = flag("strike");
    if (const Element* u = font.child("u")) {
        const std::string_view v = u->attribute("val").value_or("single");
        f.underline = v == "double"             ? 2
                      : v == "singleAccounting" ? 0x21
                      : v == "doubleAccounting" ? 0x22
                      : v == "none"             ? 0
                                                : 1;
    }
    if (const Element* va = font.child("vertAlign")) {
        const std::string_view v = va->attribute("val").value_or("");
        f.script = v == "superscript" ? 1 : v == "subscript" ? 2 : 0;
    }
    if (const Element* sz = font.child("sz"))
        f.height = static_cast<std::uint16_t>(
            std::clamp(decimal(sz->attribute("val"), 11) * 20, 20.0, 8191.0));
    else
        f.height = 220;
    f.color = paletteIndex(font.child("color"), 0x7FFF);
    if (const Element* n = font.child("name")) f.name = n->attribute("val").value_or("");
    if (f.name.empty()) f.name = "Calibri";
    if (const Element* fam = font.child("family"))
        f.family = static_cast<std::uint8_t>(
            std::min<std::uint32_t>(wholeNumber(fam->attribute("val")), 255));
    if (const Element* cs = font.child("charset"))
        f.charset = static_cast<std::uint8_t>(
            std::min<std::uint32_t>(wholeNumber(cs->attribute("val")), 255));
    return f;
}

void readBorder(const Element* border, book::CellStyle& s) {
    if (!border) return;
    auto edge = [&](std::string_view side) {
        book::Edge e;
        const Element* el = border->child(side);
        if (!el) return e;
        e.style = indexOfName(el->attribute("style"), xlsx_writer::kLineStyleNames, 0);
        // An edge without a line has no colour of its own in the binary
        // format either.
        if (e.style != 0)
            e.color = static_cast<std::uint8_t>(
                std::min<std::uint16_t>(paletteIndex(el->child("color"), 64), 127));
        return e;
    };
    s.left = edge("left");
    s.right = edge("right");
    s.top = edge("top");
    s.bottom = edge("bottom");
    s.diagonal = edge("diagonal");
    s.diagonalUp = xlsx::isTrue(border->attribute("diagonalUp"));
    s.diagonalDown = xlsx::isTrue(border->attribute("diagonalDown"));
}

void readFill(const Element* fill, book::CellStyle& s) {
    if (!fill) return;
    const Element* pattern = fill->child("patternFill");
    if (!pattern) {
        // A gradient has no counterpart; the nearest is a solid fill.
        if (fill->child("gradientFill")) s.fillPattern = 1;
        return;
    }
    s.fillPattern = indexOfName(pattern->attribute("patternType"), xlsx_writer::kPatternNames, 0);
    s.patternColor = static_cast<std::uint8_t>(
        std::min<std::uint16_t>(paletteIndex(pattern->child("fgColor"), 64), 127));
    s.backgroundColor = static_cast<std::uint8_t>(
        std::min<std::uint16_t>(paletteIndex(pattern->child("bgColor"), 65), 127));
}

// The styles part in the model: fonts and cell formats appended one for
// one, the package's first font and format standing in for the model's
// defaults, so that a cell the model formats anew looks like the others.
void importStyles(const Element& sheet, book::Workbook& model, KeptPackage& kept) {
    std::map<std::uint32_t, std::uint16_t> formatIdOf;
    if (const Element* numFmts = sheet.child("numFmts")) {
        for (const Element* f : numFmts->childrenNamed("numFmt")) {
            const std::uint32_t id = wholeNumber(f->attribute("numFmtId"), 0xFFFFFFFF);
            const std::string code(f->attribute("formatCode").value_or(""));
            if (id > 0xFFFF || code.empty()) continue;
            kept.nextNumFmtId = std::max(kept.nextNumFmtId, id + 1);
            try {
                // Written out in the package, so written out in the model too.
                const std::uint16_t modelId = model.addExplicitNumberFormat(code);
                formatIdOf[id] = modelId;
                kept.numFmtOfModel[modelId] = id;
            } catch (const book::BookError&) {
            }
        }
    }
    std::vector<std::uint16_t> fontOf;
    std::vector<const Element*> fills, borders;
    if (const Element* fonts = sheet.child("fonts")) {
        for (const Element* f : fonts->childrenNamed("font")) {
            const std::uint16_t index = model.appendFont(xlsx_update::fontOf(*f));
            kept.fontOfModel[index] = static_cast<std::uint32_t>(fontOf.size());
            fontOf.push_back(index);
        }
    }
    if (const Element* e = sheet.child("fills")) fills = e->childrenNamed("fill");
    if (const Element* e = sheet.child("borders")) borders = e->childrenNamed("border");
    kept.fontCount = static_cast<std::uint32_t>(fontOf.size());
    kept.fillCount = static_cast<std::uint32_t>(fills.size());
    kept.borderCount = static_cast<std::uint32_t>(borders.size());

    kept.cellXfOfStyle.assign(model.styleCount(), 0);
    const Element* cellXfs = sheet.child("cellXfs");
    if (!cellXfs) return;
    for (const Element* xf : cellXfs->childrenNamed("xf")) {
        book::CellStyle s;
        s.parent = 0;
        const std::uint32_t fmt = wholeNumber(xf->attribute("numFmtId"));
        auto mapped = formatIdOf.find(fmt);
        s.numberFormat = mapped != formatIdOf.end()
                             ? mapped->second
                             : static_cast<std::uint16_t>(std::min<std::uint32_t>(fmt, 163));
        const std::uint32_t font = wholeNumber(xf->attribute("fontId"));
        s.font = font < fontOf.size() ? fontOf[font] : 0;
        const std::uint32_t fill = wholeNumber(xf->attribute("fillId"));
        readFill(fill < fills.size() ? fills[fill] : nullptr, s);
        const std::uint32_t border = wholeNumber(xf->attribute("borderId"));
        readBorder(border < borders.size() ? borders[border] : nullptr, s);
        s.numberFormatUsed = xlsx::isTrue(xf->attribute("applyNumberFormat"));
        s.fontUsed = xlsx::isTrue(xf->attribute("applyFont"));
        s.fillUsed = xlsx::isTrue(xf->attribute("applyFill"));
        s.borderUsed = xlsx::isTrue(xf->attribute("applyBorder"));
        s.alignmentUsed = xlsx::isTrue(xf->attribute("applyAlignment"));
        s.protectionUsed = xlsx::isTrue(xf->attribute("applyProtection"));
        if (const Element* a = xf->child("alignment")) {
            s.horizontal =
                indexOfName(a->attribute("horizontal"), xlsx_writer::kHorizontalNames, 0);
            s.vertical = indexOfName(a->attribute("vertical"), xlsx_writer::kVerticalNames, 2);
            s.wrap = xlsx::isTrue(a->attribute("wrapText"));
            s.rotation = static_cast<std::uint8_t>(
                std::min<std::uint32_t>(wholeNumber(a->attribute("textRotation")), 255));
            s.indent = static_cast<std::uint8_t>(
                std::min<std::uint32_t>(wholeNumber(a->attribute("indent")), 15));
            s.shrinkToFit = xlsx::isTrue(a->attribute("shrinkToFit"));
            s.readingOrder = static_cast<std::uint8_t>(
                std::min<std::uint32_t>(wholeNumber(a->attribute("readingOrder")), 2));
        }
        if (const Element* p = xf->child("protection")) {
            s.locked = !p->attribute("locked") || xlsx::isTrue(p->attribute("locked"));
            s.hidden = xlsx::isTrue(p->attribute("hidden"));
        }
        const std::uint32_t index = kept.cellXfCount++;
        // The package's first format is what a cell without one shows: the
        // model's default cell format becomes it.
        if (index == 0) {
            model.redefineStyle(15, s);
            kept.cellXfOfStyle[15] = 0;
            continue;
        }
        const std::uint16_t modelIndex = model.appendStyle(s);
        kept.cellXfOfStyle.resize(modelIndex + 1u, 0);
        kept.cellXfOfStyle[modelIndex] = index;
    }
}

struct CellPlace {
    std::uint32_t row = 0;
    std::uint32_t col = 0;
};

// "AB12" as a place counted from 0; nullopt for anything else.
std::optional<CellPlace> placeOf(std::string_view ref) {
    std::size_t i = 0;
    std::uint64_t col = 0, row = 0;
    while (i < ref.size() && i < 4 && text::asciiUpper(ref[i]) >= 'A' &&
           text::asciiUpper(ref[i]) <= 'Z')
        col = col * 26 + static_cast<std::uint64_t>(text::asciiUpper(ref[i++]) - 'A' + 1);
    const std::size_t digits = i;
    while (i < ref.size() && ref[i] >= '0' && ref[i] <= '9' && i - digits < 8)
        row = row * 10 + static_cast<std::uint64_t>(ref[i++] - '0');
    if (col == 0 || row == 0 || i != ref.size() || digits == i) return std::nullopt;
    return CellPlace{static_cast<std::uint32_t>(row - 1), static_cast<std::uint32_t>(col - 1)};
}

std::optional<formula::Area> areaOf(std::string_view ref) {
    const std::size_t colon = ref.find(':');
    auto first = placeOf(ref.substr(0, colon));
    auto last = colon == std::string_view::npos ? first : placeOf(ref.substr(colon + 1));
    if (!first || !last) return std::nullopt;
    return formula::Area{static_cast<std::int32_t>(std::min(first->row, last->row)),
                         static_cast<std::int32_t>(std::min(first->col, last->col)),
                         static_cast<std::int32_t>(std::max(first->row, last->row)),
                         static_cast<std::int32_t>(std::max(first->col, last->col))};
}

// The package's own grid: a cell past it is no cell of the format, and
// written anew would be lost.
constexpr formula::Grid kGrid = formula::kPackageGrid;

bool insideTheModel(const formula::Area& a) {
    return a.lastRow <= kGrid.lastRow && a.lastCol <= kGrid.lastCol;
}

// What a worksheet part holds besides its values: columns, rows, formats of
// empty cells, merged ranges, links.
class SheetLayout : public xml::Handler {
  public:
    struct Column {
        std::uint32_t first, last;
        std::optional<double> width;
        bool hidden;
        std::optional<std::uint32_t> style;
    };
    struct Row {
        std::uint32_t row;
        std::optional<double> height;
        bool hidden;
        std::optional<std::uint32_t> style;
    };
    struct Blank {
        CellPlace place;
        std::uint32_t style;
    };
    struct Link {
        formula::Area area;
        std::string relId, location, display;
    };
    struct Formula {
        CellPlace place;
        std::uint32_t style;
        std::string element;
    };
    std::vector<Column> columns;
    std::vector<Row> rows;
    std::vector<Blank> blanks;
    std::vector<formula::Area> merged;
    std::vector<Link> links;
    std::vector<Formula> formulas;
    bool beyondTheModel = false;

    void startElement(const xml::StartTag& tag) override {
        const std::string_view local = tag.local;
        if (inCell_ && (local == "v" || local == "is")) {
            cellHasValue_ = true;
        } else if (inCell_ && local == "f") {
            // A shared or array formula lives in several cells at once:
            // kept in one and lost in another it would mean something else.
            const std::string_view type = tag.attribute("t").value_or("normal");
            inFormula_ = true;
            formula_.clear();
            if (type != "normal") return;
            formula_ = "<f";
            for (const xml::Attribute& a : tag.attributes) {
                if (!a.ns.empty()) {
                    formula_.clear();
                    return;
                }
                formula_ += " " + std::string(a.local) + "=\"";
                xlsx_writer::appendAttribute(formula_, a.value);
                formula_ += "\"";
            }
            formula_ += ">";
        } else if (local == "c") {
            formula_.clear();
            inCell_ = true;
            cellHasValue_ = false;
            if (auto ref = tag.attribute("r"); ref && placeOf(*ref)) {
                col_ = placeOf(*ref)->col;
            } else {
                ++col_;
            }
            cellStyle_ = wholeNumber(tag.attribute("s"));
            if (col_ > kGrid.lastCol || row_ > static_cast<std::uint32_t>(kGrid.lastRow))
                beyondTheModel = true;
        } else if (local == "row") {
            row_ = tag.attribute("r") ? wholeNumber(tag.attribute("r"), row_ + 2) - 1 : row_ + 1;
            col_ = static_cast<std::uint32_t>(-1);
            if (row_ > static_cast<std::uint32_t>(kGrid.lastRow)) {
                beyondTheModel = true;
                return;
            }
            Row r{row_, std::nullopt, xlsx::isTrue(tag.attribute("hidden")), std::nullopt};
            if (xlsx::isTrue(tag.attribute("customHeight")) || r.hidden)
                if (auto ht = tag.attribute("ht")) r.height = decimal(ht);
            if (xlsx::isTrue(tag.attribute("customFormat")))
                r.style = wholeNumber(tag.attribute("s"));
            if (r.height || r.hidden || r.style) rows.push_back(r);
        } else if (local == "col") {
            const std::uint32_t min = wholeNumber(tag.attribute("min"), 1);
            const std::uint32_t max = wholeNumber(tag.attribute("max"), min);
            if (min == 0 || min > max || min > kGrid.lastCol + 1u) return;
            Column c{min - 1, std::min<std::uint32_t>(max, kGrid.lastCol + 1u) - 1, std::nullopt,
                     xlsx::isTrue(tag.attribute("hidden")), std::nullopt};
            if (auto w = tag.attribute("width")) c.width = decimal(w);
            if (auto s = tag.attribute("style")) c.style = wholeNumber(s);
            columns.push_back(c);
        } else if (local == "mergeCell") {
            if (auto a = areaOf(tag.attribute("ref").value_or(""))) {
                if (insideTheModel(*a))
                    merged.push_back(*a);
                else
                    beyondTheModel = true;
            }
        } else if (local == "hyperlink") {
            auto a = areaOf(tag.attribute("ref").value_or(""));
            if (!a) return;
            if (!insideTheModel(*a)) {
                beyondTheModel = true;
                return;
            }
            Link link{*a, {}, {}, {}};
            for (const xml::Attribute& attr : tag.attributes)
                if (!attr.ns.empty() && attr.local == "id") link.relId = attr.value;
            link.location = tag.attribute("location").value_or("");
            link.display = tag.attribute("display").value_or("");
            links.push_back(std::move(link));
        }
    }
    void text(std::string_view text) override {
        if (inFormula_ && !formula_.empty()) xlsx_writer::appendText(formula_, text);
    }
    void endElement(std::string_view, std::string_view local) override {
        if (local == "f" && inFormula_) {
            inFormula_ = false;
            if (!formula_.empty()) formula_ += "</f>";
            return;
        }
        if (local != "c" || !inCell_) return;
        inCell_ = false;
        if (!formula_.empty() && col_ <= kGrid.lastCol &&
            row_ <= static_cast<std::uint32_t>(kGrid.lastRow))
            formulas.push_back({{row_, col_}, cellStyle_, std::move(formula_)});
        if (!cellHasValue_ && cellStyle_ != 0 && col_ <= kGrid.lastCol &&
            row_ <= static_cast<std::uint32_t>(kGrid.lastRow))
            blanks.push_back({{row_, col_}, cellStyle_});
    }

  private:
    std::uint32_t row_ = static_cast<std::uint32_t>(-1);
    std::uint32_t col_ = static_cast<std::uint32_t>(-1);
    std::uint32_t cellStyle_ = 0;
    bool inCell_ = false;
    bool cellHasValue_ = false;
    bool inFormula_ = false;
    std::string formula_;
};

std::uint16_t modelStyle(std::uint32_t xf, const std::vector<std::uint16_t>& styleOfCellXf) {
    return xf < styleOfCellXf.size() ? styleOfCellXf[xf] : 15;
}

void importSheet(const xlsx::Package& package, const std::string& part,
                 const std::vector<std::string>& strings, book::Sheet& sheet,
                 const std::vector<std::uint16_t>& styleOfCellXf,
                 KeptPackage::SheetOrigin& origin) {
    {
        // The part's cells go before its layout is read: a long list holds
        // them twice otherwise, as read and in the sheet.
        xlsx::SheetCells cells(package, part, false, kGrid);
        for (const xlsx::SheetCell& c : cells.all()) {
            const std::uint16_t xf = modelStyle(c.xf, styleOfCellXf);
            switch (c.kind) {
                case xlsx::SheetCell::Kind::Number:
                    sheet.setNumber(c.row, c.col, c.number, xf);
                    break;
                case xlsx::SheetCell::Kind::SharedString:
                    if (c.index >= strings.size())
                        throw XlsxError("a cell of " + part + " uses shared string " +
                                        std::to_string(c.index) + " of " +
                                        std::to_string(strings.size()));
                    sheet.setText(c.row, c.col, strings[c.index], xf);
                    break;
                case xlsx::SheetCell::Kind::Text:
                    sheet.setText(c.row, c.col, cells.text(c.index), xf);
                    break;
                case xlsx::SheetCell::Kind::Boolean:
                    sheet.setBoolean(c.row, c.col, c.code != 0, xf);
                    break;
                case xlsx::SheetCell::Kind::Error:
                    sheet.setError(c.row, c.col, c.code, xf);
                    break;
            }
        }
    }
    SheetLayout layout;
    try {
        xlsx::PartParser parser(package, part, kMaxSheetBytes, layout);
        parser.run();
    } catch (...) {
        xlsx::rethrowForPart(part);
    }
    origin.beyondTheModel = layout.beyondTheModel;
    for (const auto& b : layout.blanks)
        if (!sheet.find(b.place.row, b.place.col))
            sheet.setBlank(b.place.row, b.place.col, modelStyle(b.style, styleOfCellXf));
    for (auto& f : layout.formulas) {
        // A formula not calculated yet has no value: the cell is there all
        // the same.
        if (!sheet.find(f.place.row, f.place.col))
            sheet.setBlank(f.place.row, f.place.col, modelStyle(f.style, styleOfCellXf));
        const book::Cell& cell = *sheet.find(f.place.row, f.place.col);
        KeptPackage::SheetOrigin::Formula kept{std::move(f.element),
                                               static_cast<std::uint8_t>(cell.kind), cell.number,
                                               std::string(cell.text.view()), cell.code};
        origin.formulas.emplace(std::make_pair(f.place.row, f.place.col), std::move(kept));
    }
    for (const auto& c : layout.columns) {
        if (c.width)
            sheet.setColumnWidth(
                c.first, c.last,
                static_cast<std::uint16_t>(std::clamp(*c.width * 256, 0.0, 65535.0)));
        if (c.hidden) sheet.setColumnHidden(c.first, c.last, true);
        if (c.style) sheet.setColumnXf(c.first, c.last, modelStyle(*c.style, styleOfCellXf));
    }
    for (const auto& r : layout.rows) {
        if (r.height)
            sheet.setRowHeight(r.row,
                               static_cast<std::uint16_t>(std::clamp(*r.height * 20, 0.0, 8192.0)));
        if (r.hidden) sheet.setRowHidden(r.row, true);
        if (r.style) sheet.setRowXf(r.row, modelStyle(*r.style, styleOfCellXf));
    }
    for (const auto& m : layout.merged) {
        // Overlapping ranges are damage the application repairs by dropping
        // them; so does the model.
        try {
            if (m.firstRow != m.lastRow || m.firstCol != m.lastCol) sheet.addMergedRange(m);
        } catch (const book::BookError&) {
        }
    }
    if (!layout.links.empty()) {
        // A list has a link a row: looked up by id, not walked for each.
        const auto rels = package.relationships(part);
        std::unordered_map<std::string_view, const xlsx::Relationship*> byId;
        for (const auto& r : rels) byId[r.id] = &r;
        for (const auto& link : layout.links) {
            const auto found = byId.find(link.relId);
            const xlsx::Relationship* rel = found == byId.end() ? nullptr : found->second;
            if (rel && rel->external) {
                sheet.addRelativeUrlHyperlink(link.area, rel->target, link.display);
            } else if (!link.location.empty()) {
                sheet.addHyperlink(link.area, "", link.display, link.location);
            }
        }
    }
}

// The text of the workbook part's definedName elements, in order.
std::vector<std::string> definedNameElements(std::string_view xml) {
    std::vector<std::string> out;
    const ElementSpan root = rootElement(xml);
    for (const ElementSpan& child : childElements(xml, root)) {
        if (child.local() != "definedNames") continue;
        for (const ElementSpan& name : childElements(xml, child))
            out.emplace_back(xml.substr(name.begin, name.end - name.begin));
    }
    return out;
}

void importNames(const Element& workbook, std::string_view workbookXml, book::Workbook& model,
                 KeptPackage& kept) {
    const Element* names = workbook.child("definedNames");
    if (!names) return;
    const auto elements = definedNameElements(workbookXml);
    const auto list = names->childrenNamed("definedName");
    std::vector<std::pair<std::int32_t, std::int32_t>> externSheet;
    formula::NameCompileContext context;
    context.grid = kGrid;
    context.sheets = [&](std::string_view first,
                         std::string_view last) -> std::optional<std::uint16_t> {
        auto a = model.findSheet(first), b = model.findSheet(last);
        if (!a || !b) return std::nullopt;
        externSheet.emplace_back(static_cast<std::int32_t>(std::min(*a, *b)),
                                 static_cast<std::int32_t>(std::max(*a, *b)));
        return static_cast<std::uint16_t>(externSheet.size() - 1);
    };
    const formula::SheetRangeOfXti sheetRange =
        [&](std::uint16_t x) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        if (x >= externSheet.size()) return std::nullopt;
        return externSheet[x];
    };
    for (std::size_t i = 0; i < list.size() && i < elements.size(); ++i) {
        const Element& n = *list[i];
        KeptPackage::NameOrigin origin;
        origin.name = std::string(n.attribute("name").value_or(""));
        origin.element = elements[i];
        if (auto local = n.attribute("localSheetId")) origin.scope = wholeNumber(local, 0xFFFF);
        const bool plain =
            !origin.name.starts_with(kBuiltinPrefix) && !xlsx::isTrue(n.attribute("hidden")) &&
            !xlsx::isTrue(n.attribute("function")) && !xlsx::isTrue(n.attribute("vbProcedure")) &&
            (!origin.scope || *origin.scope < model.sheetCount());
        std::vector<formula::SheetArea> areas;
        if (plain)
            if (auto rgce = formula::compileNameFormula(n.text, context))
                areas = formula::nameFormulaAreas(*rgce, {sheetRange, {}, {}, kGrid});
        if (areas.size() == 1 && areas[0].firstSheet == areas[0].lastSheet) {
            try {
                model.setName(origin.name, origin.scope, areas[0]);
                const auto index = model.findName(origin.name, origin.scope);
                origin.rgce = model.names()[*index].rgce;
                kept.names.push_back(std::move(origin));
                continue;
            } catch (const book::BookError&) {
            }
        }
        kept.namesKeptAside.push_back(std::move(origin));
    }
}

// Cells written for the digest only: their text stands as it is.
class DigestStrings : public xlsx_writer::CellStrings {
  public:
    void appendCellText(std::string& out, const std::string& text) override {
        out += " t=\"str\"><v>";
        xlsx_writer::appendText(out, text);
        out += "</v></c>";
    }
};

}  // namespace

const std::string* KeptFormulas::formulaOf(const book::Cell& cell) const {
    auto found = origin_.formulas.find({cell.row, cell.col});
    if (found == origin_.formulas.end()) return nullptr;
    const KeptPackage::SheetOrigin::Formula& f = found->second;
    const bool same =
        static_cast<std::uint8_t>(cell.kind) == f.kind &&
        (cell.kind != book::Cell::Kind::Number || cell.number == f.number) &&
        (cell.kind != book::Cell::Kind::Text || cell.text.view() == f.text) &&
        (cell.kind != book::Cell::Kind::Boolean && cell.kind != book::Cell::Kind::Error
             ? true
             : cell.code == f.code);
    return same ? &f.element : nullptr;
}

std::array<std::uint8_t, 20> sheetDigest(const book::Sheet& sheet,
                                         const std::vector<std::uint32_t>& cellXfOfStyle,
                                         const KeptPackage::SheetOrigin& origin) {
    DigestStrings strings;
    const KeptFormulas formulas(origin);
    const xlsx_writer::SheetBody body =
        xlsx_writer::writeSheetBody(sheet, cellXfOfStyle, strings, "r", &formulas);
    crypto::Sha1 sha;
    for (const std::string* piece : {&body.dimension, &body.cols, &body.sheetData, &body.mergeCells,
                                     &body.hyperlinks, &body.linkRelationships}) {
        const std::string size = std::to_string(piece->size()) + ":";
        sha.update({reinterpret_cast<const std::uint8_t*>(size.data()), size.size()});
        sha.update({reinterpret_cast<const std::uint8_t*>(piece->data()), piece->size()});
    }
    return sha.finish();
}

ImportedWorkbook importWorkbook(std::shared_ptr<const std::vector<std::uint8_t>> bytes) {
    auto kept = std::make_shared<KeptPackage>();
    kept->bytes = bytes;
    xlsx::Package package(bytes);
    const auto rootRels = package.relationships("");
    const xlsx::Relationship* main = relationshipOf(rootRels, "officeDocument");
    if (!main) throw XlsxError("package has no main document: it is not a workbook");
    kept->workbookPart = main->target;
    const std::vector<std::uint8_t> workbookBytes = package.read(main->target, 64u << 20);
    const std::string_view workbookXml(reinterpret_cast<const char*>(workbookBytes.data()),
                                       workbookBytes.size());
    const Element workbook = package.readTree(main->target);
    if (workbook.local != "workbook")
        throw XlsxError("main part " + main->target + " is a " + std::string(workbook.local) +
                        ", not a workbook");
    const ElementSpan root = rootElement(workbookXml);
    if (root.prefixed())
        throw xlsx::XlsxRefused(
            "its parts name their elements with a prefix, which is not updated");
    // Strict packages spell every namespace and relationship differently;
    // what would be written into one is the transitional spelling.
    if (attributeOf(root.startTag(workbookXml), "xmlns") !=
        std::optional<std::string_view>(
            "http://schemas.openxmlformats.org/spreadsheetml/2006/main"))
        throw xlsx::XlsxRefused("it is a Strict package, which is not updated");
    if (const Element* pr = workbook.child("workbookPr");
        pr && xlsx::isTrue(pr->attribute("date1904")))
        throw xlsx::XlsxRefused("it counts dates from 1904, which is not updated");
    const auto rels = package.relationships(main->target);

    book::Workbook model = book::Workbook::createBlank(kGrid);
    if (const xlsx::Relationship* styles = relationshipOf(rels, "styles");
        styles && package.has(styles->target)) {
        kept->stylesPart = styles->target;
        importStyles(package.readTree(styles->target), model, *kept);
    } else {
        kept->cellXfOfStyle.assign(model.styleCount(), 0);
    }
    std::vector<std::uint16_t> styleOfCellXf(kept->cellXfCount, 15);
    for (std::size_t m = 0; m < kept->cellXfOfStyle.size(); ++m)
        if (kept->cellXfOfStyle[m] != 0)
            styleOfCellXf[kept->cellXfOfStyle[m]] = static_cast<std::uint16_t>(m);

    std::vector<std::string> strings;
    if (const xlsx::Relationship* sst = relationshipOf(rels, "sharedStrings");
        sst && package.has(sst->target)) {
        strings = xlsx::readSharedStrings(package, sst->target);
        for (std::size_t i = 0; i < strings.size(); ++i)
            kept->sharedString.try_emplace(strings[i], static_cast<std::uint32_t>(i));
    }

    const Element* sheets = workbook.child("sheets");
    const auto sheetList = sheets ? sheets->childrenNamed("sheet") : std::vector<const Element*>{};
    if (sheetList.empty()) throw XlsxError("workbook part " + main->target + " lists no sheets");
    model.deleteSheet(2);
    model.deleteSheet(1);
    for (std::size_t i = 0; i < sheetList.size(); ++i) {
        std::string name(sheetList[i]->attribute("name").value_or(""));
        if (i == 0)
            model.renameSheet(0, std::move(name));
        else
            model.addSheet(std::move(name));
        KeptPackage::SheetOrigin origin;
        origin.name = model.sheet(i).name();
        const std::string_view id = sheetList[i]->anyAttribute("id").value_or("");
        for (const auto& r : rels)
            if (r.id == id && !r.external && r.is("worksheet") && package.has(r.target))
                origin.part = r.target;
        if (!origin.part.empty())
            importSheet(package, origin.part, strings, model.sheet(i), styleOfCellXf, origin);
        kept->sheets.push_back(std::move(origin));
    }
    if (const Element* views = workbook.child("bookViews"))
        if (const Element* view = views->child("workbookView"))
            if (auto tab = wholeNumber(view->attribute("activeTab")); tab < model.sheetCount())
                model.setActiveSheet(tab);
    importNames(workbook, workbookXml, model, *kept);

    kept->cellXfOfStyle.resize(model.styleCount(), 0);
    for (std::size_t i = 0; i < model.sheetCount(); ++i)
        kept->sheets[i].digest = sheetDigest(model.sheet(i), kept->cellXfOfStyle, kept->sheets[i]);
    return {std::move(model), std::move(kept)};
}

}  // namespace xls::xlsx_update
