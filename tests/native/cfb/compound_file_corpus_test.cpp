#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "native/cfb/compound_file.h"
#include "native/cfb/corpus_file.h"

namespace xls::cfb {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using xls::testing::corpusBytes;

const char* const kSummary = "\x05SummaryInformation";
const char* const kDocSummary =
    "\x05"
    "DocumentSummaryInformation";

std::vector<std::string> childNames(const CompoundFile& cf) {
    std::vector<std::string> names;
    for (const auto* e : cf.rootChildren()) names.push_back(e->name);
    return names;
}

// Stream sizes and directory layout below were checked against an
// independent compound file reader.
TEST(CompoundFileCorpus, WorkbookWithPropertyStreamsInRegularSectors) {
    CompoundFile cf(corpusBytes("apache__poi/12561-1.xls"));
    EXPECT_EQ(cf.header().majorVersion, 3);
    EXPECT_EQ(cf.header().sectorSize(), 512u);
    EXPECT_EQ(cf.root().type, DirectoryEntry::Root);
    EXPECT_EQ(cf.root().name, "Root Entry");
    EXPECT_THAT(childNames(cf), ElementsAre("Workbook", kSummary, kDocSummary));

    // Property streams of exactly 4096 bytes are at the cutoff, so they live
    // in regular sectors, not the mini stream.
    auto si = cf.readStream(kSummary);
    ASSERT_TRUE(si);
    ASSERT_EQ(si->size(), 4096u);
    EXPECT_EQ((*si)[0], 0xFE);
    EXPECT_EQ((*si)[1], 0xFF);
    auto wb = cf.readStream("Workbook");
    ASSERT_TRUE(wb);
    ASSERT_GE(wb->size(), 4u);
    EXPECT_EQ((*wb)[0], 0x09);  // BOF record id
    EXPECT_EQ((*wb)[1], 0x08);
}

TEST(CompoundFileCorpus, SmallStreamsComeFromTheMiniStream) {
    CompoundFile cf(corpusBytes("extrame__xls/times.xls"));
    const DirectoryEntry* wb = cf.findInRoot("Workbook");
    ASSERT_NE(wb, nullptr);
    EXPECT_EQ(cf.streamSize(*wb), 1897u);
    EXPECT_LT(cf.streamSize(*wb), cf.header().miniStreamCutoff);
    auto bytes = cf.readStream(*wb);
    ASSERT_EQ(bytes.size(), 1897u);
    EXPECT_EQ(bytes[0], 0x09);
    EXPECT_EQ(bytes[1], 0x08);
    // The last record of a workbook globals/sheet stream is EOF (0x000A, length 0).
    EXPECT_EQ(bytes[bytes.size() - 4], 0x0A);
    EXPECT_EQ(bytes[bytes.size() - 3], 0x00);
    auto si = cf.readStream(kSummary);
    ASSERT_TRUE(si);
    EXPECT_EQ(si->size(), 172u);
    auto dsi = cf.readStream(kDocSummary);
    ASSERT_TRUE(dsi);
    EXPECT_EQ(dsi->size(), 116u);
    EXPECT_FALSE(cf.miniFat().empty());
}

TEST(CompoundFileCorpus, NamesMatchIgnoringAsciiCase) {
    CompoundFile cf(corpusBytes("apache__poi/WORKBOOK_in_capitals.xls"));
    const DirectoryEntry* upper = cf.findInRoot("WORKBOOK");
    ASSERT_NE(upper, nullptr);
    EXPECT_EQ(upper->name, "WORKBOOK");
    EXPECT_EQ(cf.findInRoot("Workbook"), upper);
    EXPECT_EQ(cf.findInRoot("workbook"), upper);
    EXPECT_EQ(cf.findInRoot("\x05summaryinformation"), cf.findInRoot(kSummary));
    EXPECT_EQ(cf.findInRoot("Book"), nullptr);
    EXPECT_FALSE(cf.readStream("Book"));
    auto wb = cf.readStream("Workbook");
    ASSERT_TRUE(wb);
    EXPECT_EQ(wb->size(), cf.streamSize(*upper));
}

TEST(CompoundFileCorpus, StoragesAreListedButAreNotStreams) {
    CompoundFile cf(corpusBytes("apache__poi/61300.xls"));
    const DirectoryEntry* storage = cf.findInRoot("MBD006CBD3A");
    ASSERT_NE(storage, nullptr);
    EXPECT_EQ(storage->type, DirectoryEntry::Storage);
    EXPECT_FALSE(cf.readStream("MBD006CBD3A"));
    EXPECT_THROW(cf.readStream(*storage), CfbError);
    EXPECT_NO_THROW(cf.children(*storage));
}

// Files other readers open although they break the rules somewhere.
TEST(CompoundFileCorpus, ToleratesWhatRealWritersLeave) {
    // Byte order mark stored swapped.
    {
        CompoundFile cf(corpusBytes("PHPOffice__PhpSpreadsheet/pr.4687.excel.badendian.xls"));
        EXPECT_EQ(cf.header().byteOrder, 0xFEFF);
        auto wb = cf.readStream("Workbook");
        ASSERT_TRUE(wb);
        EXPECT_EQ((*wb)[0], 0x09);
    }
    // A library writer whose streams share sectors.
    {
        CompoundFile cf(corpusBytes("PHPOffice__PhpSpreadsheet/CF_Basic_Comparisons.xls"));
        EXPECT_THAT(childNames(cf),
                    ::testing::UnorderedElementsAre("Workbook", kSummary, kDocSummary));
        EXPECT_TRUE(cf.readStream("Workbook"));
    }
    // Header claims 8388609 FAT sectors; the DIFAT lists one, and a
    // directory link points past the directory.
    {
        CompoundFile cf(corpusBytes("libxls__libxls/xls2csv_ole_read_MSAT_772.xls"));
        EXPECT_EQ(cf.header().numFatSectors, 8388609u);
        EXPECT_EQ(cf.fatSectors().size(), 1u);
        ASSERT_NE(cf.findInRoot("Workbook"), nullptr);
        // Its workbook chain ends early: an error, not a short read.
        EXPECT_THROW(cf.readStream("Workbook"), CfbError);
    }
}

TEST(CompoundFileCorpus, DamagedFilesFailWithTheValuesFound) {
    auto open = [](const char* path) { return CompoundFile(corpusBytes(path)); };
    EXPECT_THAT([&] { open("libxls__libxls/xls2csv_ole_ole2_fread_327.xls"); },
                ::testing::ThrowsMessage<CfbError>(HasSubstr("cutoff 0")));
    EXPECT_THAT(
        [&] {
            open("apache__poi/clusterfuzz-testcase-minimized-POIHSSFFuzzer-4651309315719168.xls");
        },
        ::testing::ThrowsMessage<CfbError>(HasSubstr("reaches entry 0 twice")));
    EXPECT_THAT([&] { open("tafia__calamine/too_small.xls"); },
                ::testing::ThrowsMessage<CfbError>(HasSubstr("68 bytes")));

    // Stream sizes that run past the end of the file: the file opens, the
    // stream does not.
    CompoundFile sizes(corpusBytes("apache__poi/61300.xls"));
    EXPECT_THAT([&] { sizes.readStream(kSummary); },
                ::testing::ThrowsMessage<CfbError>(HasSubstr("4076863688 bytes")));
    EXPECT_TRUE(sizes.readStream(kDocSummary));
    CompoundFile shortFile(corpusBytes(
        "apache__poi/clusterfuzz-testcase-minimized-POIHSSFFuzzer-6537773940867072.xls"));
    EXPECT_NE(shortFile.bytes().size() % 512, 0u);
    EXPECT_THAT([&] { shortFile.readStream("Workbook"); },
                ::testing::ThrowsMessage<CfbError>(HasSubstr("17379 bytes")));
}

TEST(CompoundFileCorpus, SignatureCheck) {
    EXPECT_TRUE(CompoundFile::hasSignature(*corpusBytes("extrame__xls/times.xls")));
    auto biff2 = corpusBytes("ExcelDataReader__ExcelDataReader/Test_git_issue_368_ixfe.xls");
    EXPECT_FALSE(CompoundFile::hasSignature(*biff2));
    EXPECT_THROW(CompoundFile{biff2}, CfbError);
    EXPECT_FALSE(CompoundFile::hasSignature(*corpusBytes("tafia__calamine/too_small.xls")));
    EXPECT_FALSE(CompoundFile::hasSignature({}));
}

}  // namespace
}  // namespace xls::cfb
