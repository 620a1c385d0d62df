#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>

#include "native/zip/zip_archive.h"

namespace xls::zip {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

constexpr std::uint64_t kMaxBytes = 16 << 20;

std::vector<std::uint8_t> corpusBytes(const std::string& relpath) {
    std::string path = std::string(MOKUJI_TEST_DATA_DIR) + "/corpus-xlsx/" + relpath;
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("missing test file " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t crc(std::uint32_t c, const void* p, std::size_t n) {
    return static_cast<std::uint32_t>(crc32_z(c, static_cast<const Bytef*>(p), n));
}

// Counts and digests from Python's zipfile over the same files: CRC-32
// chained, in directory order, over each entry's stored name, a NUL, its
// length in decimal, a NUL and its whole content.
struct CorpusCase {
    const char* path;
    std::size_t entries;
    std::uint32_t digest;
};
const CorpusCase kCorpus[] = {
    {"jmcnamara__XlsxWriter/defined_name02.xlsx", 9, 0xD039AD92},  // the application
    {"tafia__calamine/date_1904.xlsx", 9, 0x9DE2DE34},             // LibreOffice, descriptors
    {"roo-rb__roo/comments-google.xlsx", 11, 0x01950A64},          // Google Sheets
    {"ExcelDataReader__ExcelDataReader/Test_git_issue_694_TimeSpan.xlsx", 9,
     0x0C35B178},  // Apache POI
    {"PHPOffice__PhpSpreadsheet/Zip-Windows-Directory-Separator.xlsx", 10,
     0xB7FC0C98},  // '\' in names
};

TEST(ZipCorpus, EveryEntryOfFilesFromSeveralWritersReadsAsPythonReadsIt) {
    for (const auto& c : kCorpus) {
        SCOPED_TRACE(c.path);
        const auto bytes = corpusBytes(c.path);
        const Archive archive = Archive::open(bytes);
        ASSERT_EQ(archive.entries().size(), c.entries);
        EXPECT_NE(archive.find("/xl/Workbook.xml"), nullptr);
        std::uint32_t digest = 0;
        for (const Entry& e : archive.entries()) {
            const auto content = archive.read(e, kMaxBytes);
            EXPECT_EQ(content.size(), e.uncompressedSize) << e.name;
            const std::string size = std::to_string(content.size());
            digest = crc(digest, e.name.data(), e.name.size());
            digest = crc(digest, "", 1);
            digest = crc(digest, size.data(), size.size());
            digest = crc(digest, "", 1);
            digest = crc(digest, content.data(), content.size());
        }
        EXPECT_EQ(digest, c.digest);
    }
}

TEST(ZipCorpus, DamageIsReportedWhereItIs) {
    // Python's zipfile stops at the declared 697 bytes and finds the CRC
    // wrong; the data inflate to 699. The other entries read.
    const auto bytes = corpusBytes("tafia__calamine/issue252.xlsx");
    const Archive archive = Archive::open(bytes);
    ASSERT_EQ(archive.entries().size(), 12u);
    for (const Entry& e : archive.entries()) {
        if (e.name != "xl/_rels/workbook.xml.rels")
            EXPECT_EQ(archive.read(e, kMaxBytes).size(), e.uncompressedSize) << e.name;
        else
            EXPECT_THAT([&] { archive.read(e, kMaxBytes); },
                        ThrowsMessage<ZipError>(HasSubstr("more than the 697 bytes declared")));
    }

    // An encrypted workbook, which is a compound file, and a fuzzed file
    // whose directory offset points past its end record.
    const std::pair<const char*, const char*> unopenable[] = {
        {"qax-os__excelize/encryptAES.xlsx", "no end of central directory record"},
        {"apache__poi/clusterfuzz-testcase-minimized-POIXSSFFuzzer-6448258963341312.xlsx",
         "central directory at offset 53648 (1210 bytes) runs past"}};
    for (const auto& file : unopenable) {
        EXPECT_THAT([&] { Archive::open(corpusBytes(file.first)); },
                    ThrowsMessage<ZipError>(HasSubstr(file.second)));
    }
    // A zip with nothing in it is a valid, empty archive.
    EXPECT_TRUE(Archive::open(corpusBytes("apache__poi/invalid.xlsx")).entries().empty());
}

}  // namespace
}  // namespace xls::zip
