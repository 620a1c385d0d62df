#pragma once

// Files that users save under an .xls name although they hold something
// else, made byte by byte the way the programs that write them do.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fake {

// A zip archive of stored (uncompressed) entries with its central directory,
// as an office suite writes it; OpenDocument puts "mimetype" first.
inline std::string zipOf(const std::vector<std::pair<std::string, std::string>>& entries) {
    auto le = [](std::string& out, std::uint32_t v, int width) {
        for (int i = 0; i < width; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    std::string local, central;
    for (const auto& [name, data] : entries) {
        const auto offset = static_cast<std::uint32_t>(local.size());
        local += "PK\x03\x04";
        le(local, 20, 2);  // version needed
        le(local, 0, 2);   // flags
        le(local, 0, 2);   // stored
        le(local, 0, 4);   // time and date
        le(local, 0, 4);   // crc, not checked by anyone here
        le(local, static_cast<std::uint32_t>(data.size()), 4);
        le(local, static_cast<std::uint32_t>(data.size()), 4);
        le(local, static_cast<std::uint32_t>(name.size()), 2);
        le(local, 0, 2);
        local += name + data;

        central += "PK\x01\x02";
        le(central, 20, 2);
        le(central, 20, 2);
        le(central, 0, 2);
        le(central, 0, 2);
        le(central, 0, 4);
        le(central, 0, 4);
        le(central, static_cast<std::uint32_t>(data.size()), 4);
        le(central, static_cast<std::uint32_t>(data.size()), 4);
        le(central, static_cast<std::uint32_t>(name.size()), 2);
        le(central, 0, 2);  // extra
        le(central, 0, 2);  // comment
        le(central, 0, 2);  // disk
        le(central, 0, 2);  // internal attributes
        le(central, 0, 4);  // external attributes
        le(central, offset, 4);
        central += name;
    }
    std::string out = local + central;
    out += "PK\x05\x06";
    le(out, 0, 4);
    le(out, static_cast<std::uint32_t>(entries.size()), 2);
    le(out, static_cast<std::uint32_t>(entries.size()), 2);
    le(out, static_cast<std::uint32_t>(central.size()), 4);
    le(out, static_cast<std::uint32_t>(local.size()), 4);
    le(out, 0, 2);
    return out;
}

// UTF-16 little-endian with its byte order mark, from ASCII text.
inline std::string utf16leOf(const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

inline std::string xlsxBytes() {
    return zipOf({{"[Content_Types].xml", "<?xml version=\"1.0\"?><Types/>"},
                  {"_rels/.rels", "<Relationships/>"},
                  {"xl/workbook.xml", "<workbook/>"},
                  {"xl/worksheets/sheet1.xml", "<worksheet/>"}});
}

inline std::string odsBytes() {
    return zipOf({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                  {"content.xml", "<office:document-content/>"},
                  {"META-INF/manifest.xml", "<manifest:manifest/>"}});
}

inline const char* kSpreadsheetXml =
    "<?xml version=\"1.0\"?>\r\n"
    "<?mso-application progid=\"Excel.Sheet\"?>\r\n"
    "<Workbook xmlns=\"urn:schemas-microsoft-com:office:spreadsheet\"\r\n"
    " xmlns:ss=\"urn:schemas-microsoft-com:office:spreadsheet\">\r\n"
    " <Worksheet ss:Name=\"Sheet1\"><Table><Row><Cell><Data ss:Type=\"String\">a</Data>"
    "</Cell></Row></Table></Worksheet>\r\n</Workbook>\r\n";

inline const char* kHtmlTable =
    "<html xmlns:o=\"urn:schemas-microsoft-com:office:office\">\r\n<head><meta "
    "charset=\"utf-8\"></head>\r\n<body><table><tr><td>件名</td></tr></table></body></html>\r\n";

inline const char* kWebArchive =
    "MIME-Version: 1.0\r\nX-Document-Type: Workbook\r\n"
    "Content-Type: multipart/related; boundary=\"----=_NextPart_01\"\r\n\r\n"
    "------=_NextPart_01\r\nContent-Type: text/html; charset=\"utf-8\"\r\n\r\n<html></html>\r\n";

// 名前,年齢 / 鈴木,30 in Shift_JIS (CP932).
inline const char* kShiftJisCsv = "\x96\xBC\x91\x4F,\x94\x4E\x97\xEE\r\n\x97\xE9\x96\xD8,30\r\n";

inline const char* kPdfHead =
    "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<< /Type /Catalog >>\nendobj\n";

inline std::string pngHead() {
    return std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x01\0\0\0\x01\x08\x02\0\0\0", 29);
}

}  // namespace fake
