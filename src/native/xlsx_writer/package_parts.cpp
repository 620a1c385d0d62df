#include "native/xlsx_writer/package_parts.h"

#include "native/biff/globals.h"
#include "native/xlsx_writer/sheet_part.h"
#include "native/xlsx_writer/styles_part.h"
#include "native/xlsx_writer/xml_out.h"

namespace xls::xlsx_writer {

namespace {

constexpr const char* kXmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n";
constexpr const char* kRelationships =
    "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">";
constexpr const char* kOfficeRelationship =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";

std::string relationship(const std::string& id, const std::string& type,
                         const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + type + "\" Target=\"" + target + "\"/>";
}

// The defined names as the zip-based format lists them: built-in ones
// with their prefix, each with its formula without the "=".
std::string definedNames(const book::Workbook& book) {
    std::string out;
    for (std::size_t i = 0; i < book.names().size(); ++i) {
        const book::Name& name = book.names()[i];
        const std::string refersTo = book.nameRefersTo(i);
        // A formula this writer cannot spell is left out rather than
        // written wrong.
        if (refersTo.size() < 2 || refersTo.front() != '=') continue;
        std::string text = name.name;
        if (name.builtin) {
            const char* builtin =
                name.name.size() == 1
                    ? biff::builtinNameText(static_cast<std::uint8_t>(name.name[0]))
                    : nullptr;
            text = "_xlnm." + (builtin ? std::string(builtin) : name.name);
        }
        out += "<definedName name=\"";
        appendAttribute(out, text);
        out += "\"";
        if (name.scope) out += " localSheetId=\"" + std::to_string(*name.scope) + "\"";
        if (name.hidden) out += " hidden=\"1\"";
        out += ">";
        appendText(out, refersTo.substr(1));
        out += "</definedName>";
    }
    return out.empty() ? "" : "<definedNames>" + out + "</definedNames>";
}

std::string coreProperties(const PackageProperties& p) {
    std::string out =
        std::string(kXmlHead) +
        "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/"
        "2006/metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\" "
        "xmlns:dcterms=\"http://purl.org/dc/terms/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">";
    if (!p.created.empty())
        out += "<dcterms:created xsi:type=\"dcterms:W3CDTF\">" + p.created + "</dcterms:created>";
    if (!p.modified.empty())
        out +=
            "<dcterms:modified xsi:type=\"dcterms:W3CDTF\">" + p.modified + "</dcterms:modified>";
    return out + "</cp:coreProperties>";
}

std::string extendedProperties(const PackageProperties& p) {
    std::string out = std::string(kXmlHead) +
                      "<Properties xmlns=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                      "extended-properties\"><Application>";
    appendText(out, p.application);
    return out + "</Application></Properties>";
}

}  // namespace

std::vector<Part> workbookParts(const book::Workbook& book, const PackageProperties& properties) {
    std::vector<Part> parts;
    const StylesPart styles = writeStyles(book);
    SharedStrings strings;

    std::string sheets;
    std::string workbookRels;
    std::string overrides;
    for (std::size_t i = 0; i < book.sheetCount(); ++i) {
        const book::Sheet& sheet = book.sheet(i);
        if (!sheet.isWorksheet())
            throw book::BookError(
                "sheet '" + sheet.name() +
                "' is no worksheet and cannot be written to a zip-based workbook");
        const std::string n = std::to_string(i + 1);
        SheetPart part = writeSheet(sheet, styles.cellXfIndex, strings);
        parts.push_back({"xl/worksheets/sheet" + n + ".xml", std::move(part.xml)});
        if (!part.relsXml.empty())
            parts.push_back(
                {"xl/worksheets/_rels/sheet" + n + ".xml.rels", std::move(part.relsXml)});
        sheets += "<sheet name=\"";
        appendAttribute(sheets, sheet.name());
        sheets += "\" sheetId=\"" + n + "\"";
        if (sheet.visibility() == biff::Visibility::Hidden) sheets += " state=\"hidden\"";
        if (sheet.visibility() == biff::Visibility::VeryHidden) sheets += " state=\"veryHidden\"";
        sheets += " r:id=\"rId" + n + "\"/>";
        workbookRels += relationship("rId" + n, std::string(kOfficeRelationship) + "worksheet",
                                     "worksheets/sheet" + n + ".xml");
        overrides += "<Override PartName=\"/xl/worksheets/sheet" + n +
                     ".xml\" ContentType=\"application/vnd.openxmlformats-officedocument."
                     "spreadsheetml.worksheet+xml\"/>";
    }
    const std::string next = std::to_string(book.sheetCount() + 1);
    const std::string after = std::to_string(book.sheetCount() + 2);
    workbookRels +=
        relationship("rId" + next, std::string(kOfficeRelationship) + "styles", "styles.xml");
    workbookRels += relationship("rId" + after, std::string(kOfficeRelationship) + "sharedStrings",
                                 "sharedStrings.xml");

    std::string workbook =
        std::string(kXmlHead) +
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">";
    if (book.date1904()) workbook += "<workbookPr date1904=\"1\"/>";
    workbook += "<bookViews><workbookView activeTab=\"" + std::to_string(book.activeSheet()) +
                "\"/></bookViews><sheets>" + sheets + "</sheets>" + definedNames(book) +
                "</workbook>";

    parts.push_back({"xl/workbook.xml", std::move(workbook)});
    parts.push_back({"xl/_rels/workbook.xml.rels",
                     std::string(kXmlHead) + kRelationships + workbookRels + "</Relationships>"});
    parts.push_back({"xl/styles.xml", styles.xml});
    parts.push_back({"xl/sharedStrings.xml", strings.xml()});
    parts.push_back({"docProps/core.xml", coreProperties(properties)});
    parts.push_back({"docProps/app.xml", extendedProperties(properties)});
    parts.push_back(
        {"_rels/.rels",
         std::string(kXmlHead) + kRelationships +
             relationship("rId1", std::string(kOfficeRelationship) + "officeDocument",
                          "xl/workbook.xml") +
             relationship("rId2",
                          "http://schemas.openxmlformats.org/package/2006/relationships/"
                          "metadata/core-properties",
                          "docProps/core.xml") +
             relationship("rId3", std::string(kOfficeRelationship) + "extended-properties",
                          "docProps/app.xml") +
             "</Relationships>"});
    parts.insert(
        parts.begin(),
        {"[Content_Types].xml",
         std::string(kXmlHead) +
             "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
             "<Default Extension=\"rels\" ContentType=\"application/"
             "vnd.openxmlformats-package.relationships+xml\"/>"
             "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
             "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>" +
             overrides +
             "<Override PartName=\"/xl/styles.xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.spreadsheetml.styles+xml\"/>"
             "<Override PartName=\"/xl/sharedStrings.xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml\"/>"
             "<Override PartName=\"/docProps/core.xml\" ContentType=\"application/"
             "vnd.openxmlformats-package.core-properties+xml\"/>"
             "<Override PartName=\"/docProps/app.xml\" ContentType=\"application/"
             "vnd.openxmlformats-officedocument.extended-properties+xml\"/>"
             "</Types>"});
    return parts;
}

}  // namespace xls::xlsx_writer
