#include "native/xlsx_update/package_update.h"

#include <algorithm>
#include <set>

#include "native/text/ascii.h"
#include "native/xlsx/package.h"
#include "native/xlsx_update/element_outline.h"
#include "native/xlsx_update/package_import.h"
#include "native/xlsx_writer/sheet_part.h"
#include "native/xlsx_writer/styles_part.h"
#include "native/xlsx_writer/xml_out.h"

namespace xls::xlsx_update {

namespace {

using book::BookError;

constexpr std::string_view kRelationshipsNs =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
constexpr std::uint64_t kMaxPartBytes = 1ull << 30;

constexpr std::string_view kWorksheetOrder[] = {"sheetPr",
                                                "dimension",
                                                "sheetViews",
                                                "sheetFormatPr",
                                                "cols",
                                                "sheetData",
                                                "sheetCalcPr",
                                                "sheetProtection",
                                                "protectedRanges",
                                                "scenarios",
                                                "autoFilter",
                                                "sortState",
                                                "dataConsolidate",
                                                "customSheetViews",
                                                "mergeCells",
                                                "phoneticPr",
                                                "conditionalFormatting",
                                                "dataValidations",
                                                "hyperlinks",
                                                "printOptions",
                                                "pageMargins",
                                                "pageSetup",
                                                "headerFooter",
                                                "rowBreaks",
                                                "colBreaks",
                                                "customProperties",
                                                "cellWatches",
                                                "ignoredErrors",
                                                "smartTags",
                                                "drawing",
                                                "legacyDrawing",
                                                "legacyDrawingHF",
                                                "drawingHF",
                                                "picture",
                                                "oleObjects",
                                                "controls",
                                                "webPublishItems",
                                                "tableParts",
                                                "extLst"};
constexpr std::string_view kWorkbookOrder[] = {"fileVersion",    "fileSharing",
                                               "workbookPr",     "workbookProtection",
                                               "bookViews",      "sheets",
                                               "functionGroups", "externalReferences",
                                               "definedNames",   "calcPr",
                                               "oleSize",        "customWorkbookViews",
                                               "pivotCaches",    "smartTagPr",
                                               "smartTagTypes",  "webPublishing",
                                               "fileRecoveryPr", "webPublishObjects",
                                               "extLst"};
constexpr std::string_view kStylesOrder[] = {"numFmts",      "fonts",   "fills",      "borders",
                                             "cellStyleXfs", "cellXfs", "cellStyles", "dxfs",
                                             "tableStyles",  "colors",  "extLst"};

std::string asText(const std::vector<std::uint8_t>& bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Entry names as the package reader compares them.
std::string partKey(std::string_view name) {
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    std::string key = text::lowerAscii(name);
    std::replace(key.begin(), key.end(), '\\', '/');
    return key;
}

std::string folderOf(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? "" : std::string(part.substr(0, slash + 1));
}

std::string relationshipsPartOf(std::string_view part) {
    return folderOf(part) + "_rels/" + std::string(part.substr(part.rfind('/') + 1)) + ".rels";
}

// Text cells of a sheet written anew: those the shared table holds refer
// to it, the rest hold their text.
class KeptStrings : public xlsx_writer::CellStrings {
  public:
    explicit KeptStrings(const KeptPackage& kept) : kept_(kept) {}
    void appendCellText(std::string& out, const std::string& text) override {
        auto found = kept_.sharedString.find(text);
        if (found != kept_.sharedString.end()) {
            out += " t=\"s\"><v>" + std::to_string(found->second) + "</v></c>";
            return;
        }
        out += " t=\"inlineStr\"><is><t xml:space=\"preserve\">";
        xlsx_writer::appendText(out, text);
        out += "</t></is></c>";
    }

  private:
    const KeptPackage& kept_;
};

// The element with children appended before its end tag and its count
// attribute raised by their number; a new element when there is none.
std::string appendedTo(std::string_view xml, const ElementSpan* element, std::string_view local,
                       const std::string& children, std::size_t added, std::uint32_t before) {
    if (!element)
        return "<" + std::string(local) + " count=\"" + std::to_string(added) + "\">" + children +
               "</" + std::string(local) + ">";
    std::string start(element->startTag(xml));
    const std::string counted = withAttribute(start, "count", std::to_string(before + added));
    if (element->contentBegin == element->end) {
        // Written as one tag: open it.
        std::string open = counted.substr(0, counted.size() - 2) + ">";
        return open + children + "</" + std::string(element->name) + ">";
    }
    return counted +
           std::string(
               xml.substr(element->contentBegin, element->contentEnd - element->contentBegin)) +
           children +
           std::string(xml.substr(element->contentEnd, element->end - element->contentEnd));
}

class Update {
  public:
    Update(const book::Workbook& model, const KeptPackage& kept)
        : model_(model),
          kept_(kept),
          package_(kept.bytes),
          archive_(zip::Archive::open(*kept.bytes)) {}

    void write(zip::ZipWriter& writer) {
        if (model_.sheetCount() < kept_.sheets.size())
            throw BookError("a sheet was removed, which is not saved into this workbook");
        addStyles();
        for (std::size_t i = 0; i < kept_.sheets.size(); ++i) updateSheet(i);
        for (std::size_t i = kept_.sheets.size(); i < model_.sheetCount(); ++i) addSheet(i);
        updateWorkbook();
        if (rewroteSheet_) dropCalculationChain();
        if (!newParts_.empty() || !addedTypes_.empty()) updateContentTypes();

        for (const zip::Entry& entry : archive_.entries()) {
            const std::string key = partKey(entry.name);
            if (dropped_.count(key)) continue;
            auto changed = changed_.find(key);
            if (changed == changed_.end()) {
                writer.copyEntry(archive_, entry);
            } else {
                writer.addDeflated(entry.name, changed->second);
                written_.insert(key);
            }
        }
        for (const auto& [name, bytes] : newParts_)
            if (!written_.count(partKey(name))) writer.addDeflated(name, bytes);
        writer.finish();
    }

  private:
    std::string read(const std::string& part) const {
        auto key = partKey(part);
        if (auto c = changed_.find(key); c != changed_.end()) return c->second;
        return asText(package_.read(part, kMaxPartBytes));
    }
    void change(const std::string& part, std::string bytes) {
        if (package_.has(part))
            changed_[partKey(part)] = std::move(bytes);
        else
            newParts_.emplace_back(part, std::move(bytes));
    }

    // Formats the model added since it was read, appended to the styles
    // part with the fonts, fills, borders and number formats they need.
    void addStyles() {
        cellXfIndex_ = kept_.cellXfOfStyle;
        if (model_.styleCount() <= cellXfIndex_.size()) return;
        if (kept_.stylesPart.empty())
            throw BookError("the workbook has no styles part to add formats to");
        std::string numFmts, fonts, fills, borders, xfs;
        std::size_t numFmtCount = 0, fontCount = 0, fillCount = 0, borderCount = 0, added = 0;
        std::map<std::uint16_t, std::uint32_t> numFmtOf(kept_.numFmtOfModel.begin(),
                                                        kept_.numFmtOfModel.end());
        std::map<std::uint16_t, std::uint32_t> fontOf(kept_.fontOfModel.begin(),
                                                      kept_.fontOfModel.end());
        // The package's own fills, borders and formats, by their text: a
        // format the model made again, as an earlier save wrote it, is found
        // rather than added once more on every save.
        const std::string xml = read(kept_.stylesPart);
        const ElementSpan root = rootElement(xml);
        if (root.prefixed()) throw BookError("the styles part names its elements with a prefix");
        const auto children = childElements(xml, root);
        auto find = [&](std::string_view local) -> const ElementSpan* {
            for (const auto& c : children)
                if (c.local() == local) return &c;
            return nullptr;
        };
        std::map<std::string, std::uint32_t> fillOf, borderOf, xfOf;
        const auto indexTexts = [&](const char* list, std::map<std::string, std::uint32_t>& of) {
            if (const ElementSpan* e = find(list)) {
                std::uint32_t i = 0;
                for (const ElementSpan& c : childElements(xml, *e))
                    of.try_emplace(std::string(xml.substr(c.begin, c.end - c.begin)), i++);
            }
        };
        // The number of an element by its text: the package's own, else one
        // appended after the first elements of its list.
        const auto intern = [](std::map<std::string, std::uint32_t>& of, const std::string& text,
                               std::uint32_t first, std::size_t& count, std::string& appended) {
            auto [at, added] = of.try_emplace(text, first + static_cast<std::uint32_t>(count));
            if (added) {
                appended += text;
                ++count;
            }
            return at->second;
        };
        indexTexts("fills", fillOf);
        indexTexts("borders", borderOf);
        indexTexts("cellXfs", xfOf);
        std::uint32_t nextNumFmt = kept_.nextNumFmtId;
        const auto& modelFonts = model_.fonts();
        for (std::size_t m = cellXfIndex_.size(); m < model_.styleCount(); ++m) {
            const book::CellStyle& s = model_.style(static_cast<std::uint16_t>(m));
            std::uint32_t numFmt = s.numberFormat;
            if (auto found = numFmtOf.find(s.numberFormat); found != numFmtOf.end()) {
                numFmt = found->second;
            } else if (s.numberFormat >= 164 ||
                       !xlsx_writer::universalNumberFormat(s.numberFormat)) {
                numFmt = nextNumFmt++;
                numFmts += "<numFmt numFmtId=\"" + std::to_string(numFmt) + "\" formatCode=\"";
                xlsx_writer::appendAttribute(numFmts, model_.numberFormatCode(s.numberFormat));
                numFmts += "\"/>";
                ++numFmtCount;
                numFmtOf[s.numberFormat] = numFmt;
            }
            std::uint32_t font = 0;
            if (auto found = fontOf.find(s.font); found != fontOf.end()) {
                font = found->second;
            } else {
                const std::size_t at = s.font < 4 ? s.font : s.font - 1u;
                if (at < modelFonts.size()) {
                    fonts += xlsx_writer::fontXml(modelFonts[at]);
                    font = kept_.fontCount + static_cast<std::uint32_t>(fontCount++);
                    fontOf[s.font] = font;
                }
            }
            const std::uint32_t fill =
                intern(fillOf, xlsx_writer::fillXml(s), kept_.fillCount, fillCount, fills);
            const std::uint32_t border = intern(borderOf, xlsx_writer::borderXml(s),
                                                kept_.borderCount, borderCount, borders);
            cellXfIndex_.push_back(intern(xfOf,
                                          xlsx_writer::cellXfXml(s, numFmt, font, fill, border, 0),
                                          kept_.cellXfCount, added, xfs));
        }
        if (added == 0) return;
        std::map<std::string, std::string> replaced;
        if (numFmtCount) {
            const ElementSpan* e = find("numFmts");
            const auto before = e ? childElements(xml, *e).size() : 0;
            replaced["numFmts"] = appendedTo(xml, e, "numFmts", numFmts, numFmtCount,
                                             static_cast<std::uint32_t>(before));
        }
        if (fontCount)
            replaced["fonts"] =
                appendedTo(xml, find("fonts"), "fonts", fonts, fontCount, kept_.fontCount);
        if (fillCount)
            replaced["fills"] =
                appendedTo(xml, find("fills"), "fills", fills, fillCount, kept_.fillCount);
        if (borderCount)
            replaced["borders"] = appendedTo(xml, find("borders"), "borders", borders, borderCount,
                                             kept_.borderCount);
        replaced["cellXfs"] =
            appendedTo(xml, find("cellXfs"), "cellXfs", xfs, added, kept_.cellXfCount);
        change(kept_.stylesPart, replaceChildren(xml, root, kStylesOrder, replaced));
    }

    void updateSheet(std::size_t index) {
        const KeptPackage::SheetOrigin& origin = kept_.sheets[index];
        const book::Sheet& sheet = model_.sheet(index);
        if (sheet.name() != origin.name)
            throw BookError("sheet '" + origin.name +
                            "' was renamed, which is not saved into this workbook");
        // New formats get numbers the package never had, so a cell given one
        // changes the digest.
        if (sheetDigest(sheet, cellXfIndex_, origin) == origin.digest) return;
        if (origin.part.empty())
            throw BookError("sheet '" + origin.name + "' is no worksheet this engine can write");
        if (origin.beyondTheModel)
            throw BookError("sheet '" + origin.name +
                            "' holds cells past row 1048576 or column XFD, which would be lost");
        const std::string xml = read(origin.part);
        const ElementSpan root = rootElement(xml);
        if (root.prefixed())
            throw BookError("sheet '" + origin.name + "' names its elements with a prefix");

        // The sheet's other relationships stay; its links are made anew.
        const std::string relsPart = relationshipsPartOf(origin.part);
        std::string rels;
        std::set<std::string> ids;
        if (package_.has(relsPart)) {
            const std::string relsXml = read(relsPart);
            const ElementSpan relsRoot = rootElement(relsXml);
            for (const ElementSpan& r : childElements(relsXml, relsRoot)) {
                const auto tag = r.startTag(relsXml);
                const std::string_view type = attributeOf(tag, "Type").value_or("");
                if (type.ends_with("/hyperlink")) continue;
                ids.insert(std::string(attributeOf(tag, "Id").value_or("")));
                rels += relsXml.substr(r.begin, r.end - r.begin);
            }
        }
        std::string prefix = "mokujiLink";
        while (std::any_of(ids.begin(), ids.end(),
                           [&](const std::string& id) { return id.starts_with(prefix); }))
            prefix += "_";
        KeptStrings strings(kept_);
        const KeptFormulas formulas(origin);
        xlsx_writer::SheetBody body =
            xlsx_writer::writeSheetBody(sheet, cellXfIndex_, strings, prefix, &formulas);
        // Writers that had no link leave the prefix of relationships unbound.
        if (!body.hyperlinks.empty() &&
            attributeOf(root.startTag(xml), "xmlns:r") != std::optional(kRelationshipsNs))
            body.hyperlinks.insert(std::string_view("<hyperlinks").size(),
                                   " xmlns:r=\"" + std::string(kRelationshipsNs) + "\"");
        change(origin.part, replaceChildren(xml, root, kWorksheetOrder,
                                            {{"dimension", body.dimension},
                                             {"cols", body.cols},
                                             {"sheetData", body.sheetData},
                                             {"mergeCells", body.mergeCells},
                                             {"hyperlinks", body.hyperlinks}}));
        rels += body.linkRelationships;
        if (package_.has(relsPart) || !rels.empty()) {
            change(relsPart, xlsx_writer::relationshipsXml(rels));
            if (!package_.has(relsPart)) addedTypes_.insert("rels");
        }
        rewroteSheet_ = true;
    }

    // A sheet the model added, in a part of its own beside the others.
    void addSheet(std::size_t index) {
        const book::Sheet& sheet = model_.sheet(index);
        const std::string folder = folderOf(kept_.workbookPart);
        std::string part;
        for (std::size_t n = index + 1;; ++n) {
            part = folder + "worksheets/sheet" + std::to_string(n) + ".xml";
            if (!package_.has(part) && !std::any_of(newParts_.begin(), newParts_.end(),
                                                    [&](const auto& p) { return p.first == part; }))
                break;
        }
        KeptStrings strings(kept_);
        const xlsx_writer::SheetPart written =
            xlsx_writer::writeSheet(sheet, cellXfIndex_, strings);
        newParts_.emplace_back(part, written.xml);
        if (!written.relsXml.empty()) {
            newParts_.emplace_back(relationshipsPartOf(part), written.relsXml);
            addedTypes_.insert("rels");
        }
        newSheetOverrides_ += "<Override PartName=\"/" + part +
                              "\" ContentType=\"application/vnd.openxmlformats-officedocument."
                              "spreadsheetml.worksheet+xml\"/>";
        const std::string id = "mokujiSheet" + std::to_string(index + 1);
        newSheetRels_ += "<Relationship Id=\"" + id + "\" Type=\"" + std::string(kRelationshipsNs) +
                         "/worksheet\" Target=\"" + part.substr(folder.size()) + "\"/>";
        newSheets_ += "<sheet xmlns:r=\"" + std::string(kRelationshipsNs) + "\" name=\"";
        xlsx_writer::appendAttribute(newSheets_, sheet.name());
        newSheets_ += "\" sheetId=\"" +
                      std::to_string(nextSheetId() + (index - kept_.sheets.size())) + "\" r:id=\"" +
                      id + "\"/>";
    }

    std::uint32_t nextSheetId() {
        if (!firstSheetId_) {
            std::uint32_t most = 0;
            const std::string xml = read(kept_.workbookPart);
            const ElementSpan root = rootElement(xml);
            for (const ElementSpan& c : childElements(xml, root)) {
                if (c.local() != "sheets") continue;
                for (const ElementSpan& s : childElements(xml, c)) {
                    const std::string id(attributeOf(s.startTag(xml), "sheetId").value_or("0"));
                    most = std::max<std::uint32_t>(
                        most, static_cast<std::uint32_t>(std::strtoul(id.c_str(), nullptr, 10)));
                }
            }
            firstSheetId_ = most + 1;
        }
        return *firstSheetId_;
    }

    bool namesChanged() const {
        const auto& names = model_.names();
        if (names.size() != kept_.names.size()) return true;
        for (std::size_t i = 0; i < names.size(); ++i)
            if (names[i].name != kept_.names[i].name || names[i].scope != kept_.names[i].scope ||
                names[i].rgce != kept_.names[i].rgce)
                return true;
        return false;
    }

    std::string definedNames() const {
        std::string out;
        const auto& names = model_.names();
        for (const auto& aside : kept_.namesKeptAside) {
            const bool shadowed = std::any_of(names.begin(), names.end(), [&](const book::Name& n) {
                return n.scope == aside.scope && text::equalsIgnoringAsciiCase(n.name, aside.name);
            });
            if (!shadowed) out += aside.element;
        }
        for (std::size_t i = 0; i < names.size(); ++i) {
            const book::Name& n = names[i];
            auto same = std::find_if(kept_.names.begin(), kept_.names.end(), [&](const auto& o) {
                return o.name == n.name && o.scope == n.scope && o.rgce == n.rgce;
            });
            if (same != kept_.names.end()) {
                out += same->element;
                continue;
            }
            std::string refersTo = model_.nameRefersTo(i);
            if (refersTo.size() < 2) continue;
            out += "<definedName name=\"";
            xlsx_writer::appendAttribute(out, n.name);
            out += "\"";
            if (n.scope) out += " localSheetId=\"" + std::to_string(*n.scope) + "\"";
            if (n.hidden) out += " hidden=\"1\"";
            out += ">";
            xlsx_writer::appendText(out, std::string_view(refersTo).substr(1));
            out += "</definedName>";
        }
        return out.empty() ? out : "<definedNames>" + out + "</definedNames>";
    }

    void updateWorkbook() {
        const bool names = namesChanged();
        if (!names && newSheets_.empty()) return;
        const std::string xml = read(kept_.workbookPart);
        const ElementSpan root = rootElement(xml);
        std::map<std::string, std::string> replaced;
        if (names) replaced["definedNames"] = definedNames();
        if (!newSheets_.empty()) {
            for (const ElementSpan& c : childElements(xml, root))
                if (c.local() == "sheets")
                    replaced["sheets"] =
                        std::string(xml.substr(c.begin, c.contentEnd - c.begin)) + newSheets_ +
                        std::string(xml.substr(c.contentEnd, c.end - c.contentEnd));
            const std::string relsPart = relationshipsPartOf(kept_.workbookPart);
            const std::string rels = read(relsPart);
            const ElementSpan relsRoot = rootElement(rels);
            change(relsPart, rels.substr(0, relsRoot.contentEnd) + newSheetRels_ +
                                 rels.substr(relsRoot.contentEnd));
        }
        change(kept_.workbookPart, replaceChildren(xml, root, kWorkbookOrder, replaced));
    }

    // Its entries name cells that may hold no formula now.
    void dropCalculationChain() {
        const std::string relsPart = relationshipsPartOf(kept_.workbookPart);
        if (!package_.has(relsPart)) return;
        const std::string rels = read(relsPart);
        const ElementSpan root = rootElement(rels);
        std::string kept = rels.substr(0, root.contentBegin);
        std::size_t copied = root.contentBegin;
        for (const ElementSpan& r : childElements(rels, root)) {
            const auto tag = r.startTag(rels);
            if (!attributeOf(tag, "Type").value_or("").ends_with("/calcChain")) continue;
            const std::string target(attributeOf(tag, "Target").value_or(""));
            calcChainPart_ = xlsx::resolvePartName(kept_.workbookPart, target);
            kept += rels.substr(copied, r.begin - copied);
            copied = r.end;
        }
        if (calcChainPart_.empty()) return;
        kept += rels.substr(copied);
        change(relsPart, kept);
        dropped_.insert(partKey(calcChainPart_));
    }

    void updateContentTypes() {
        const std::string part = "[Content_Types].xml";
        const std::string xml = read(part);
        const ElementSpan root = rootElement(xml);
        std::string out = xml.substr(0, root.contentBegin);
        std::size_t copied = root.contentBegin;
        bool hasRels = false;
        for (const ElementSpan& c : childElements(xml, root)) {
            const auto tag = c.startTag(xml);
            if (c.local() == "Default" &&
                text::equalsIgnoringAsciiCase(attributeOf(tag, "Extension").value_or(""), "rels"))
                hasRels = true;
            if (!calcChainPart_.empty() && c.local() == "Override" &&
                partKey(attributeOf(tag, "PartName").value_or("")) == partKey(calcChainPart_)) {
                out += xml.substr(copied, c.begin - copied);
                copied = c.end;
            }
        }
        out += xml.substr(copied, root.contentEnd - copied);
        if (addedTypes_.count("rels") && !hasRels)
            out +=
                "<Default Extension=\"rels\" ContentType=\"application/"
                "vnd.openxmlformats-package.relationships+xml\"/>";
        out += newSheetOverrides_;
        out += xml.substr(root.contentEnd);
        change(part, out);
    }

    const book::Workbook& model_;
    const KeptPackage& kept_;
    xlsx::Package package_;
    zip::Archive archive_;
    std::vector<std::uint32_t> cellXfIndex_;
    std::map<std::string, std::string> changed_;  // by partKey
    std::vector<std::pair<std::string, std::string>> newParts_;
    std::set<std::string> dropped_, written_, addedTypes_;
    std::string newSheets_, newSheetRels_, newSheetOverrides_, calcChainPart_;
    std::optional<std::uint32_t> firstSheetId_;
    bool rewroteSheet_ = false;
};

}  // namespace

void writeUpdatedPackage(const book::Workbook& model, const KeptPackage& kept,
                         zip::ZipWriter& writer) {
    Update(model, kept).write(writer);
}

}  // namespace xls::xlsx_update
