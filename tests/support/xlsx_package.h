#pragma once

// Zip-based workbooks made part by part, sound or damaged, for the reader's
// own tests and for folders the real program is run over. Link
// tests/native/zip/zip_builder.cpp and zlib.

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "native/zip/zip_builder.h"

namespace fake {

inline constexpr const char* kXlsxMain =
    "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
inline constexpr const char* kXlsxRels =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships";

inline std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

inline std::string relationship(const std::string& id, const std::string& type,
                                const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + kXlsxRels + "/" + type + "\" Target=\"" +
           target + "\"/>";
}

// A package of one workbook: the parts given, and the relationships every
// package needs. The sheet parts are xl/worksheets/sheetN.xml in the parts,
// each related as rIdN unless sheetRelationships gives its element.
struct XlsxPackage {
    std::string workbookBody;
    std::vector<std::pair<std::string, std::string>> parts;
    int sheets = 1;
    std::map<int, std::string> sheetRelationships;
    // Changes the entries before they are zipped, to make damage.
    std::function<void(std::vector<xls::zip::testing::BuiltEntry>&)> tamper;

    std::vector<std::uint8_t> zip() const {
        std::string rels =
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/"
            "2006/relationships\">" +
            relationship("rId1", "officeDocument", "xl/workbook.xml") +
            relationship("rId2", "extended-properties", "docProps/app.xml") +
            "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/"
            "package/2006/relationships/metadata/core-properties\" "
            "Target=\"docProps/core.xml\"/></Relationships>";
        std::string bookRels =
            "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
            "relationships\">" +
            relationship("s", "sharedStrings", "sharedStrings.xml") +
            relationship("t", "styles", "/xl/styles.xml");
        for (int i = 1; i <= sheets; ++i) {
            auto given = sheetRelationships.find(i);
            bookRels += given != sheetRelationships.end()
                            ? given->second
                            : relationship("rId" + std::to_string(i), "worksheet",
                                           "worksheets/sheet" + std::to_string(i) + ".xml");
        }
        bookRels += "</Relationships>";
        // Other readers (openpyxl) find the workbook and its shared strings
        // by their content types.
        std::string types =
            "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
            "<Default Extension=\"rels\" ContentType=\"application/"
            "vnd.openxmlformats-package.relationships+xml\"/>"
            "<Default Extension=\"xml\" ContentType=\"application/xml\"/>" +
            typeOverride("/xl/workbook.xml", "sheet.main");
        for (const auto& [name, text] : parts) {
            if (name.starts_with("xl/worksheets/sheet"))
                types += typeOverride("/" + name, "worksheet");
            else if (name == "xl/sharedStrings.xml")
                types += typeOverride("/" + name, "sharedStrings");
        }
        types += "</Types>";
        std::vector<xls::zip::testing::BuiltEntry> entries = {
            {"[Content_Types].xml", bytesOf(types)},
            {"_rels/.rels", bytesOf(rels)},
            {"xl/_rels/workbook.xml.rels", bytesOf(bookRels)},
            {"xl/workbook.xml",
             bytesOf(std::string("<workbook xmlns=\"") + kXlsxMain + "\" xmlns:r=\"" + kXlsxRels +
                     "\">" + workbookBody + "</workbook>")}};
        for (const auto& [name, text] : parts) entries.push_back({name, bytesOf(text)});
        if (tamper) tamper(entries);
        return xls::zip::testing::buildZip(entries);
    }

  private:
    static std::string typeOverride(const std::string& part, const std::string& kind) {
        return "<Override PartName=\"" + part +
               "\" ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml." +
               kind + "+xml\"/>";
    }
};

inline std::string sheetPart(const std::string& rows) {
    return std::string("<worksheet xmlns=\"") + kXlsxMain + "\"><sheetData>" + rows +
           "</sheetData></worksheet>";
}

inline std::string sharedStringsPart(const std::vector<std::string>& texts) {
    std::string part = std::string("<sst xmlns=\"") + kXlsxMain + "\">";
    for (const auto& t : texts) part += "<si><t>" + t + "</t></si>";
    return part + "</sst>";
}

}  // namespace fake
