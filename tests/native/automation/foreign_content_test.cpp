// Files named .xls that hold something else are told by their bytes, so the
// user hears what the file really is; odd and cut-off headers are judged
// without reading past the end.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "automation/native/file_bytes.h"
#include "support/impostor_files.h"

namespace xls::native {
namespace {

using automation::FileContent;

struct Impostor {
    const char* name;
    std::string bytes;
    FileContent kind;
};

void PrintTo(const Impostor& impostor, std::ostream* os) {
    *os << impostor.name;
}

std::string withBom(const std::string& text) {
    return "\xEF\xBB\xBF" + text;
}

const std::vector<Impostor>& impostors() {
    static const std::vector<Impostor> all = {
        {"Empty", "", FileContent::Empty},
        {"Xlsx", fake::xlsxBytes(), FileContent::ZipWorkbook},
        {"Ods", fake::odsBytes(), FileContent::OpenDocumentSheet},
        {"Odt",
         fake::zipOf(
             {{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}}),
         FileContent::OtherZipDocument},
        {"Docx", fake::zipOf({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", "<w/>"}}),
         FileContent::OtherZipDocument},
        {"PlainZip", fake::zipOf({{"readme.txt", "hello"}}), FileContent::Zip},
        {"EmptyZip", std::string("PK\x05\x06", 4) + std::string(18, '\0'), FileContent::Zip},
        // Cut off after the first local header's name: the directory is
        // gone and the sizes point past the end.
        {"ZipCutShort", fake::xlsxBytes().substr(0, 60), FileContent::Zip},
        {"ZipHeaderOnly", std::string("PK\x03\x04", 4), FileContent::Zip},
        {"XmlSpreadsheet", fake::kSpreadsheetXml, FileContent::XmlSpreadsheet},
        {"XmlSpreadsheetWithBomAndBlankLines",
         withBom("\r\n\r\n  " + std::string(fake::kSpreadsheetXml)), FileContent::XmlSpreadsheet},
        {"XmlSpreadsheetUtf16", fake::utf16leOf(fake::kSpreadsheetXml),
         FileContent::XmlSpreadsheet},
        {"OtherXml", "<?xml version=\"1.0\"?>\n<config><a/></config>\n", FileContent::Xml},
        {"Html", fake::kHtmlTable, FileContent::Html},
        {"HtmlWithBomAndDoctype", withBom("\r\n\r\n<!DOCTYPE html>\r\n<html><body></body></html>"),
         FileContent::Html},
        {"BareTable", "<table border=1><tr><td>1</td></tr></table>", FileContent::Html},
        {"XhtmlWithDeclaration",
         "<?xml version=\"1.0\"?>\n<html xmlns=\"http://www.w3.org/1999/xhtml\"/>",
         FileContent::Html},
        {"HtmlUtf16", fake::utf16leOf("<html><table></table></html>"), FileContent::Html},
        {"WebArchive", fake::kWebArchive, FileContent::WebArchive},
        {"WebArchiveFromAMailer",
         "From: <Saved by a browser>\r\nSubject: sheet\r\nMIME-Version: 1.0\r\n"
         "Content-Type: multipart/related; type=\"text/html\"\r\n",
         FileContent::WebArchive},
        {"CsvUtf8", withBom("名前,年齢\r\n鈴木,30\r\n"), FileContent::Csv},
        {"CsvShiftJis", fake::kShiftJisCsv, FileContent::Csv},
        {"TsvUtf16", fake::utf16leOf("a\tb\r\n1\t2\r\n"), FileContent::Csv},
        {"Utf16WithoutBom", std::string("a\0,\0b\0\r\0\n\0", 10), FileContent::Csv},
        {"Text", "Attachment f:\\summer.xls not found!", FileContent::Text},
        {"TextStartingLikeABitmap", "BMI table\r\nsee the web page\r\n", FileContent::Text},
        {"Pdf", fake::kPdfHead, FileContent::Pdf},
        {"Png", fake::pngHead(), FileContent::Picture},
        {"Jpeg", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF\0", 11), FileContent::Picture},
        {"Gif", "GIF89a\x01\0\x01\0", FileContent::Picture},
        {"Bitmap", std::string("BM\x36\0\0\0\0\0\0\0\x36\0\0\0\x28\0", 16), FileContent::Picture},
        {"Biff4", std::string("\x09\x04\x06\0\0\0\x10\0", 8), FileContent::EarlyWorkbook},
        {"Binary", std::string("\x7F\x01\x02\x03\0garbage", 12), FileContent::Unknown},
    };
    return all;
}

class ForeignContentOf : public ::testing::TestWithParam<Impostor> {};

TEST_P(ForeignContentOf, IsToldByItsBytes) {
    const Impostor& impostor = GetParam();
    // An exact-size buffer lets the sanitizers see any read past the end.
    std::vector<std::uint8_t> bytes(impostor.bytes.begin(), impostor.bytes.end());
    ForeignContent found = identifyForeignContent(bytes);
    EXPECT_EQ(found.kind, impostor.kind) << found.description;
    EXPECT_EQ(found.description.rfind("is ", 0), 0u) << found.description;
    EXPECT_EQ(describeForeignContent(bytes), found.description);
}

INSTANTIATE_TEST_SUITE_P(Impostors, ForeignContentOf, ::testing::ValuesIn(impostors()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ForeignContent, EveryTruncationOfAnImpostorIsJudgedWithinItsBytes) {
    // Each prefix of each impostor, in a buffer of exactly that size.
    for (const Impostor& impostor : impostors()) {
        for (std::size_t n = 0; n <= impostor.bytes.size(); ++n) {
            std::vector<std::uint8_t> bytes(impostor.bytes.begin(), impostor.bytes.begin() + n);
            EXPECT_FALSE(identifyForeignContent(bytes).description.empty()) << impostor.name;
        }
    }
}

}  // namespace
}  // namespace xls::native
