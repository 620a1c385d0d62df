#include "native/xlsx_writer/styles_part.h"

#include <map>
#include <tuple>

#include "native/biff/globals.h"
#include "native/xlsx_writer/xml_out.h"

namespace xls::xlsx_writer {

namespace {

// Number formats every reader of the zip-based format knows by id alone;
// any other id a cell uses is written out with its code.
bool universalFormat(std::uint16_t id) {
    return id <= 22 || (id >= 37 && id <= 49);
}

const char* lineStyleName(std::uint8_t style) {
    return style < kLineStyleNames.size() ? kLineStyleNames[style] : "thin";
}

const char* patternName(std::uint8_t pattern) {
    return pattern < kPatternNames.size() ? kPatternNames[pattern] : "solid";
}

const char* horizontalName(std::uint8_t h) {
    return h < kHorizontalNames.size() ? kHorizontalNames[h] : "general";
}

const char* verticalName(std::uint8_t v) {
    return v < kVerticalNames.size() ? kVerticalNames[v] : "bottom";
}

// A palette index as the zip-based format writes one: the same indexed
// colours, 64 and 65 being the system's foreground and background.
std::string indexedColor(const char* element, unsigned index) {
    return std::string("<") + element + " indexed=\"" + std::to_string(index) + "\"/>";
}

}  // namespace

bool universalNumberFormat(std::uint16_t id) {
    return universalFormat(id);
}

namespace {

std::string edgeXml(const char* side, const book::Edge& edge) {
    if (edge.style == 0) return std::string("<") + side + "/>";
    return std::string("<") + side + " style=\"" + lineStyleName(edge.style) + "\">" +
           indexedColor("color", edge.color) + "</" + side + ">";
}

}  // namespace

std::string borderXml(const book::CellStyle& s) {
    std::string out = "<border";
    if (s.diagonalUp) out += " diagonalUp=\"1\"";
    if (s.diagonalDown) out += " diagonalDown=\"1\"";
    out += ">" + edgeXml("left", s.left) + edgeXml("right", s.right) + edgeXml("top", s.top) +
           edgeXml("bottom", s.bottom) + edgeXml("diagonal", s.diagonal) + "</border>";
    return out;
}

std::string fillXml(const book::CellStyle& s) {
    if (s.fillPattern == 0) return "<fill><patternFill patternType=\"none\"/></fill>";
    return std::string("<fill><patternFill patternType=\"") + patternName(s.fillPattern) + "\">" +
           indexedColor("fgColor", s.patternColor) + indexedColor("bgColor", s.backgroundColor) +
           "</patternFill></fill>";
}

std::string fontXml(const biff::Font& f) {
    std::string out = "<font>";
    if (f.weight >= 700) out += "<b/>";
    if (f.italic) out += "<i/>";
    if (f.strikeout) out += "<strike/>";
    if (f.underline == 1) out += "<u/>";
    if (f.underline == 2) out += "<u val=\"double\"/>";
    if (f.underline == 0x21) out += "<u val=\"singleAccounting\"/>";
    if (f.underline == 0x22) out += "<u val=\"doubleAccounting\"/>";
    if (f.script == 1) out += "<vertAlign val=\"superscript\"/>";
    if (f.script == 2) out += "<vertAlign val=\"subscript\"/>";
    out += "<sz val=\"" + numberText(f.height / 20.0) + "\"/>";
    // 0x7FFF is the window text colour: left to the reader.
    if (f.color != 0x7FFF) out += indexedColor("color", f.color);
    out += "<name val=\"";
    appendAttribute(out, f.name);
    out += "\"/>";
    if (f.family != 0) out += "<family val=\"" + std::to_string(f.family) + "\"/>";
    if (f.charset != 0) out += "<charset val=\"" + std::to_string(f.charset) + "\"/>";
    return out + "</font>";
}

std::string cellXfXml(const book::CellStyle& s, std::uint32_t numFmtId, std::uint32_t fontId,
                      std::uint32_t fillId, std::uint32_t borderId,
                      std::optional<std::uint32_t> parent) {
    std::string xf = "<xf numFmtId=\"" + std::to_string(numFmtId) + "\" fontId=\"" +
                     std::to_string(fontId) + "\" fillId=\"" + std::to_string(fillId) +
                     "\" borderId=\"" + std::to_string(borderId) + "\"";
    if (parent) xf += " xfId=\"" + std::to_string(*parent) + "\"";
    if (s.numberFormatUsed) xf += " applyNumberFormat=\"1\"";
    if (s.fontUsed) xf += " applyFont=\"1\"";
    if (s.fillUsed) xf += " applyFill=\"1\"";
    if (s.borderUsed) xf += " applyBorder=\"1\"";
    if (s.alignmentUsed) xf += " applyAlignment=\"1\"";
    if (s.protectionUsed) xf += " applyProtection=\"1\"";
    std::string alignment;
    if (s.horizontal != 0)
        alignment += std::string(" horizontal=\"") + horizontalName(s.horizontal) + "\"";
    if (s.vertical != 2) alignment += std::string(" vertical=\"") + verticalName(s.vertical) + "\"";
    if (s.wrap) alignment += " wrapText=\"1\"";
    if (s.rotation != 0) alignment += " textRotation=\"" + std::to_string(s.rotation) + "\"";
    if (s.indent != 0) alignment += " indent=\"" + std::to_string(s.indent) + "\"";
    if (s.shrinkToFit) alignment += " shrinkToFit=\"1\"";
    if (s.readingOrder != 0)
        alignment += " readingOrder=\"" + std::to_string(s.readingOrder) + "\"";
    std::string body;
    if (!alignment.empty()) body += "<alignment" + alignment + "/>";
    if (!s.locked || s.hidden)
        body += std::string("<protection locked=\"") + (s.locked ? "1" : "0") + "\" hidden=\"" +
                (s.hidden ? "1" : "0") + "\"/>";
    return xf + (body.empty() ? "/>" : ">" + body + "</xf>");
}

namespace {

// Interns what several formats share, in order of first use.
class Interned {
  public:
    explicit Interned(std::vector<std::string> first = {}) {
        for (auto& xml : first) index(xml);
    }
    std::uint32_t index(const std::string& xml) {
        auto [it, added] = seen_.try_emplace(xml, static_cast<std::uint32_t>(all_.size()));
        if (added) all_.push_back(xml);
        return it->second;
    }
    std::size_t size() const { return all_.size(); }
    std::string list(const char* element) const {
        std::string out =
            std::string("<") + element + " count=\"" + std::to_string(all_.size()) + "\">";
        for (const auto& xml : all_) out += xml;
        return out + "</" + element + ">";
    }

  private:
    std::map<std::string, std::uint32_t> seen_;
    std::vector<std::string> all_;
};

}  // namespace

StylesPart writeStyles(const book::Workbook& book) {
    StylesPart part;
    const std::size_t xfCount = book.styleCount();
    // The font number a format carries skips 4, which no file holds.
    const auto fontIndex = [](std::uint16_t font) -> std::uint32_t {
        return font < 4 ? font : font - 1u;
    };
    const std::vector<biff::Font>& fonts = book.fonts();

    // Formats a cell uses without a record of its own still need their code.
    std::map<std::uint16_t, std::string> codes = book.numberFormats();
    for (std::size_t i = 0; i < xfCount; ++i) {
        const std::uint16_t id = book.style(static_cast<std::uint16_t>(i)).numberFormat;
        if (!universalFormat(id) && !codes.count(id)) codes[id] = book.numberFormatCode(id);
    }

    // Every reader expects these two fills first.
    Interned fills({"<fill><patternFill patternType=\"none\"/></fill>",
                    "<fill><patternFill patternType=\"gray125\"/></fill>"});
    Interned borders;
    std::map<std::size_t, std::uint32_t> styleXfIndex;
    std::string styleXfs;
    std::string cellXfs;
    std::uint32_t styleCount = 0;
    std::uint32_t cellCount = 0;
    part.cellXfIndex.assign(xfCount, 0);
    for (std::size_t i = 0; i < xfCount; ++i) {
        const book::CellStyle& s = book.style(static_cast<std::uint16_t>(i));
        const std::uint32_t font =
            fonts.empty() ? 0
                          : std::min<std::uint32_t>(fontIndex(s.font),
                                                    static_cast<std::uint32_t>(fonts.size() - 1));
        std::optional<std::uint32_t> parent;
        if (!s.isStyle) {
            auto found = styleXfIndex.find(s.parent);
            parent = found == styleXfIndex.end() ? 0 : found->second;
        }
        const std::string xf = cellXfXml(s, s.numberFormat, font, fills.index(fillXml(s)),
                                         borders.index(borderXml(s)), parent);
        if (s.isStyle) {
            styleXfIndex[i] = styleCount++;
            styleXfs += xf;
        } else {
            part.cellXfIndex[i] = cellCount++;
            cellXfs += xf;
        }
    }
    if (styleCount == 0) {
        styleXfs = "<xf numFmtId=\"0\" fontId=\"0\" fillId=\"0\" borderId=\"0\"/>";
        styleCount = 1;
    }

    std::string& out = part.xml;
    out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">";
    if (!codes.empty()) {
        out += "<numFmts count=\"" + std::to_string(codes.size()) + "\">";
        for (const auto& [id, code] : codes) {
            out += "<numFmt numFmtId=\"" + std::to_string(id) + "\" formatCode=\"";
            appendAttribute(out, code);
            out += "\"/>";
        }
        out += "</numFmts>";
    }
    out += "<fonts count=\"" + std::to_string(std::max<std::size_t>(fonts.size(), 1)) + "\">";
    if (fonts.empty()) out += "<font><sz val=\"11\"/><name val=\"Calibri\"/></font>";
    for (const biff::Font& f : fonts) out += fontXml(f);
    out += "</fonts>";
    out += fills.list("fills");
    if (borders.size() == 0)
        borders.index("<border><left/><right/><top/><bottom/><diagonal/></border>");
    out += borders.list("borders");
    out += "<cellStyleXfs count=\"" + std::to_string(styleCount) + "\">" + styleXfs +
           "</cellStyleXfs>";
    out += "<cellXfs count=\"" + std::to_string(cellCount) + "\">" + cellXfs + "</cellXfs>";
    out +=
        "<cellStyles count=\"1\"><cellStyle name=\"Normal\" xfId=\"0\" builtinId=\"0\"/>"
        "</cellStyles></styleSheet>";
    return part;
}

}  // namespace xls::xlsx_writer
