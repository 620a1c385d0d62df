#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "native/cfb/compound_file.h"
#include "native/cfb/compound_file_writer.h"
#include "native/cfb/python_reader.h"
#include "native/cfb/written_file_checks.h"
#include "support/temp_folder.h"

namespace xls::cfb {
namespace {

using ::testing::HasSubstr;
using namespace xls::cfb::testing;
using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t n, std::uint8_t seed) {
    Bytes b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(seed + i * 7 + (i >> 9));
    return b;
}

CompoundFile reopen(Bytes bytes) {
    return CompoundFile(std::make_shared<const Bytes>(std::move(bytes)));
}

std::string writeFile(const fake::TempFolder& folder, const std::string& name, const Bytes& b) {
    const std::string path = folder.file(name);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
    return path;
}

// What olefile, run in strict mode, lists in each file: per file the paths
// (with "/" between storages) of streams and storages, stream sizes and
// CRC-32 of their bytes, and the root's class id.
const char* const kOlefileListing = R"(
import sys, zlib, olefile
for path in sys.argv[1:]:
    ole = olefile.OleFileIO(path, raise_defects=olefile.DEFECT_INCORRECT)
    for entry in ole.listdir(streams=True, storages=True):
        name = "/".join(entry).encode("utf-8").hex()
        if ole.get_type(entry) == olefile.STGTY_STREAM:
            data = ole.openstream(entry).read()
            print("S", name, zlib.crc32(data) & 0xffffffff, len(data))
        else:
            print("D", name, 0, 0)
    print("ROOT", ole.root.clsid or "-")
    print("END")
    ole.close()
)";

struct Listing {
    std::map<std::string, std::pair<std::uint32_t, std::size_t>> streams;  // crc, size
    std::set<std::string> storages;
    std::string rootClsid;
};

std::vector<Listing> olefileListings(const fake::TempFolder& folder,
                                     const std::vector<std::string>& files) {
    std::string failure;
    auto out = xls::testing::runPython(folder.path(), kOlefileListing, files, &failure);
    if (!out) ADD_FAILURE() << "olefile refused the files:\n" << failure;
    std::vector<Listing> result(1);
    std::istringstream in(out.value_or(""));
    std::string kind;
    while (in >> kind) {
        if (kind == "END") {
            result.emplace_back();
            continue;
        }
        if (kind == "ROOT") {
            in >> result.back().rootClsid;
            continue;
        }
        std::string hex;
        std::uint32_t crc;
        std::size_t size;
        in >> hex >> crc >> size;
        const std::string name = xls::testing::hexDecode(hex);
        if (kind == "S")
            result.back().streams[name] = {crc, size};
        else
            result.back().storages.insert(name);
    }
    result.pop_back();
    return result;
}

void expectListingMatches(const Listing& l, const Contents& expected) {
    std::size_t streams = 0;
    for (const auto& [path, item] : expected) {
        if (item.storage) {
            EXPECT_TRUE(l.storages.count(path)) << path;
            continue;
        }
        ++streams;
        auto it = l.streams.find(path);
        ASSERT_NE(it, l.streams.end()) << path;
        EXPECT_EQ(it->second.second, item.data.size()) << path;
        EXPECT_EQ(it->second.first, crc32(item.data)) << path;
    }
    EXPECT_EQ(l.streams.size(), streams);
    EXPECT_EQ(l.storages.size(), expected.size() - streams);
}

bool python() {
    return xls::testing::pythonHasModule("olefile");
}

// --- Layout ---------------------------------------------------------------

TEST(CompoundFileWriter, StreamsEitherSideOfTheMiniStreamCutoff) {
    CompoundFileWriter w;
    const std::vector<std::size_t> sizes = {0, 1, 63, 64, 65, 4095, 4096, 4097, 5000};
    for (std::size_t i = 0; i < sizes.size(); ++i)
        w.addStream("s" + std::to_string(sizes[i]),
                    pattern(sizes[i], static_cast<std::uint8_t>(i)));
    const Bytes bytes = w.finish();
    ASSERT_EQ(bytes.size() % 512, 0u);
    CompoundFile cf = reopen(bytes);
    EXPECT_EQ(cf.header().majorVersion, 3);
    EXPECT_EQ(cf.header().sectorSize(), 512u);
    EXPECT_EQ(cf.header().numDifatSectors, 0u);
    EXPECT_EQ(treeProblems(cf), "");

    // A regular stream's first sector follows the mini stream; a small one's
    // is a mini sector, far below that. Empty streams own none.
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const DirectoryEntry* e = cf.findInRoot("s" + std::to_string(sizes[i]));
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(cf.streamSize(*e), sizes[i]);
        EXPECT_EQ(cf.readStream(*e), pattern(sizes[i], static_cast<std::uint8_t>(i))) << sizes[i];
        if (sizes[i] == 0) {
            EXPECT_EQ(e->startSector, kEndOfChain);
        }
    }
    // 1+1+1+2+64+0... mini sectors: 1, 63, 64 take one each, 65 two, 4095 64.
    EXPECT_EQ(cf.streamSize(cf.root()), 64u * (1 + 1 + 1 + 2 + 64));
    EXPECT_EQ(cf.miniFat().size(), 128u);

    if (!python()) GTEST_SKIP() << "python3 with olefile is not available";
    fake::TempFolder folder;
    Contents expected;
    for (std::size_t i = 0; i < sizes.size(); ++i)
        expected["s" + std::to_string(sizes[i])] = {
            false, pattern(sizes[i], static_cast<std::uint8_t>(i))};
    auto listings = olefileListings(folder, {writeFile(folder, "cutoff.bin", bytes)});
    ASSERT_EQ(listings.size(), 1u);
    expectListingMatches(listings[0], expected);
}

TEST(CompoundFileWriter, EmptyFileHasOnlyTheRoot) {
    CompoundFileWriter w;
    CompoundFile cf = reopen(w.finish());
    EXPECT_TRUE(cf.rootChildren().empty());
    EXPECT_EQ(cf.root().startSector, kEndOfChain);
    EXPECT_EQ(cf.header().firstMiniFatSector, kEndOfChain);
    EXPECT_EQ(cf.header().numMiniFatSectors, 0u);
    // Header, one FAT sector, one directory sector.
    EXPECT_EQ(cf.bytes().size(), 3u * 512);
}

TEST(CompoundFileWriter, BigStreamNeedsDifatSectors) {
    // 10 MB takes 20480 sectors: 162 FAT sectors, more than the header's 109.
    const Bytes big = pattern(10 * 1024 * 1024, 3);
    CompoundFileWriter w;
    w.addStream("Workbook", big);
    w.addStream("small", pattern(100, 9));
    const Bytes bytes = w.finish();
    CompoundFile cf = reopen(bytes);
    EXPECT_EQ(cf.header().numFatSectors, 162u);
    EXPECT_EQ(cf.header().numDifatSectors, 1u);
    EXPECT_EQ(cf.difatSectors().size(), 1u);
    EXPECT_EQ(cf.fatSectors().size(), 162u);
    EXPECT_EQ(*cf.readStream("Workbook"), big);
    EXPECT_EQ(*cf.readStream("small"), pattern(100, 9));

    // Every FAT sector is marked as such in the FAT, every DIFAT sector too.
    for (std::uint32_t s : cf.fatSectors()) EXPECT_EQ(cf.fat()[s], kFatSector);
    EXPECT_EQ(cf.fat()[cf.difatSectors()[0]], kDifatSector);

    if (!python()) GTEST_SKIP() << "python3 with olefile is not available";
    fake::TempFolder folder;
    auto listings = olefileListings(folder, {writeFile(folder, "big.bin", bytes)});
    ASSERT_EQ(listings.size(), 1u);
    expectListingMatches(listings[0],
                         {{"Workbook", {false, big}}, {"small", {false, pattern(100, 9)}}});
}

TEST(CompoundFileWriter, UnusedDirectorySlotsAreBlank) {
    CompoundFileWriter w;
    w.addStream("one", pattern(10, 1));
    const Bytes bytes = w.finish();
    CompoundFile cf = reopen(bytes);
    ASSERT_EQ(cf.entries().size(), 4u);  // root, "one", two unused slots
    for (std::size_t i = 2; i < 4; ++i) {
        const DirectoryEntry& e = cf.entries()[i];
        EXPECT_EQ(e.type, DirectoryEntry::Unused);
        EXPECT_EQ(e.name, "");
        EXPECT_EQ(e.left, kNoStream);
        EXPECT_EQ(e.right, kNoStream);
        EXPECT_EQ(e.child, kNoStream);
        EXPECT_EQ(e.size, 0u);
        EXPECT_EQ(e.startSector, 0u);
    }
    EXPECT_EQ(w.finish(), bytes) << "finishing twice gives the same file";
}

// --- Directory -------------------------------------------------------------

TEST(CompoundFileWriter, ManyEntriesFormBalancedTrees) {
    CompoundFileWriter w;
    for (int i = 0; i < 700; ++i)
        w.addStream("stream" + std::to_string(i * 37 % 1000), pattern(i % 50, 1));
    for (int i = 0; i < 40; ++i) w.addStream("Storage/" + std::to_string(i), pattern(3, 2));
    // Names that differ in case and length, to exercise the order.
    for (const char* n : {"a", "B", "c", "AA", "ab", "Zz",
                          "\x01"
                          "CompObj",
                          "\x05SummaryInformation"})
        w.addStream(n, {});
    CompoundFile cf = reopen(w.finish());
    EXPECT_EQ(treeProblems(cf), "");
    const Contents contents = contentsOf(cf);
    EXPECT_EQ(contents.size(), 700u + 1 + 40 + 8);
    EXPECT_EQ(contents.at("Storage/39").data, pattern(3, 2));

    // Small counts too: every size up to 40 in its own storage.
    CompoundFileWriter small;
    for (int n = 1; n <= 40; ++n)
        for (int k = 0; k < n; ++k)
            small.addStream("s" + std::to_string(n) + "/" + std::to_string(k), {});
    EXPECT_EQ(treeProblems(reopen(small.finish())), "");
}

TEST(CompoundFileWriter, NestedStoragesAndJapaneseNames) {
    const Clsid clsid = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    CompoundFileWriter w;
    w.setRootClsid(kWorkbookClsid);
    w.addStorage("_VBA_PROJECT_CUR", clsid);
    w.addStream("_VBA_PROJECT_CUR/VBA/dir", pattern(700, 4));
    w.addStream("_VBA_PROJECT_CUR/VBA/Module1", pattern(9000, 5));
    w.addStorage("空の保管庫");
    w.addStream("報告書/月次データ", pattern(5, 6));
    w.addStream("Workbook", pattern(4096, 7));
    const Bytes bytes = w.finish();
    CompoundFile cf = reopen(bytes);
    EXPECT_EQ(cf.root().clsid, kWorkbookClsid);
    EXPECT_EQ(cf.findInRoot("_VBA_PROJECT_CUR")->clsid, clsid);
    EXPECT_EQ(treeProblems(cf), "");
    const Contents expected = {
        {"Workbook", {false, pattern(4096, 7)}},
        {"_VBA_PROJECT_CUR", {true, {}}},
        {"_VBA_PROJECT_CUR/VBA", {true, {}}},
        {"_VBA_PROJECT_CUR/VBA/dir", {false, pattern(700, 4)}},
        {"_VBA_PROJECT_CUR/VBA/Module1", {false, pattern(9000, 5)}},
        {"空の保管庫", {true, {}}},
        {"報告書", {true, {}}},
        {"報告書/月次データ", {false, pattern(5, 6)}},
    };
    EXPECT_EQ(contentsOf(cf), expected);

    if (!python()) GTEST_SKIP() << "python3 with olefile is not available";
    fake::TempFolder folder;
    auto listings = olefileListings(folder, {writeFile(folder, "nested.bin", bytes)});
    ASSERT_EQ(listings.size(), 1u);
    expectListingMatches(listings[0], expected);
    EXPECT_EQ(listings[0].rootClsid, "00020820-0000-0000-C000-000000000046");
}

TEST(CompoundFileWriter, NamesAreCheckedAndMatchedIgnoringCase) {
    CompoundFileWriter w;
    const std::string name31(31, 'x');
    EXPECT_NO_THROW(w.addStream(name31, {}));
    EXPECT_THROW(w.addStream(std::string(32, 'x'), {}), CfbError);
    // 31 UTF-16 units of Japanese fit; 32 do not.
    std::string ja;
    for (int i = 0; i < 31; ++i) ja += "表";
    EXPECT_NO_THROW(w.addStream(ja, {}));
    EXPECT_THAT([&] { w.addStream(ja + "表", {}); },
                ::testing::ThrowsMessage<CfbError>(HasSubstr("32 UTF-16 units")));
    EXPECT_THROW(w.addStream("", {}), CfbError);
    EXPECT_THROW(w.addStream("a/", {}), CfbError);
    EXPECT_THROW(w.addStream("bad:name", {}), CfbError);
    EXPECT_THROW(w.addStream("bang!", {}), CfbError);
    EXPECT_THROW(w.addStream(std::string("nul\0in", 6), {}), CfbError);
    EXPECT_THAT([&] { w.addStream("\xff\xfe", {}); },
                ::testing::ThrowsMessage<CfbError>(HasSubstr("not well-formed UTF-8")));

    // A stream cannot become a storage, nor the other way round.
    w.addStream("Workbook", pattern(10, 1));
    EXPECT_THROW(w.addStream("Workbook/inner", {}), CfbError);
    EXPECT_THROW(w.addStorage("WORKBOOK"), CfbError);
    // Names match as the format compares them: the second call replaces.
    w.addStream("WORKBOOK", pattern(20, 2));
    CompoundFile cf = reopen(w.finish());
    ASSERT_NE(cf.findInRoot("Workbook"), nullptr);
    EXPECT_EQ(cf.findInRoot("Workbook")->name, "Workbook");
    EXPECT_EQ(*cf.readStream("Workbook"), pattern(20, 2));
}

TEST(CompoundFileWriter, CopyKeepsWhatTheCallerDoesNotReplace) {
    const Clsid vbaClass = {0xAA, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
    CompoundFileWriter original;
    original.setRootClsid(kWorkbookClsid);
    original.addStream("Workbook", pattern(5000, 1));
    original.addStream(
        "\x01"
        "CompObj",
        pattern(100, 2));
    original.addStream("\x05SummaryInformation", pattern(200, 3));
    original.addStorage("_VBA_PROJECT_CUR", vbaClass);
    original.addStream("_VBA_PROJECT_CUR/PROJECT", pattern(300, 4));
    original.addStream("_VBA_PROJECT_CUR/VBA/_VBA_PROJECT", pattern(6000, 5));
    CompoundFile source = reopen(original.finish());

    CompoundFileWriter w;
    std::vector<std::string> offered;
    w.copyFrom(source, [&](const std::string& path) {
        offered.push_back(path);
        return path != "Workbook" && path != "\x05SummaryInformation";
    });
    w.addStream("Workbook", pattern(4200, 9));
    CompoundFile copy = reopen(w.finish());
    EXPECT_EQ(copy.root().clsid, kWorkbookClsid);
    EXPECT_EQ(copy.findInRoot("_VBA_PROJECT_CUR")->clsid, vbaClass);
    Contents expected = contentsOf(source);
    expected.erase("\x05SummaryInformation");
    expected["Workbook"].data = pattern(4200, 9);
    EXPECT_EQ(contentsOf(copy), expected);
    EXPECT_THAT(offered, ::testing::Contains("_VBA_PROJECT_CUR/VBA/_VBA_PROJECT"));

    // Leaving out a storage leaves out everything in it.
    CompoundFileWriter noMacros;
    noMacros.copyFrom(source, [](const std::string& path) { return path != "_VBA_PROJECT_CUR"; });
    Contents kept = contentsOf(reopen(noMacros.finish()));
    EXPECT_EQ(kept.size(), 3u);
    EXPECT_EQ(kept.count("_VBA_PROJECT_CUR/PROJECT"), 0u);
}

// --- Files other programs wrote --------------------------------------------

std::vector<std::filesystem::path> corpusCompoundFiles() {
    std::vector<std::filesystem::path> out;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             std::string(MOKUJI_TEST_DATA_DIR) + "/corpus")) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        char magic[8] = {};
        in.read(magic, 8);
        if (in && CompoundFile::hasSignature({reinterpret_cast<std::uint8_t*>(magic), 8}))
            out.push_back(entry.path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

Bytes slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(CompoundFileWriterCorpus, EveryReadableFileRoundTrips) {
    const auto files = corpusCompoundFiles();
    ASSERT_GT(files.size(), 50u);
    fake::TempFolder folder;
    std::vector<std::string> written;
    std::vector<Contents> expected;
    std::vector<std::string> rootClsids;
    std::size_t unreadable = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        Contents original;
        std::unique_ptr<CompoundFile> source;
        try {
            source = std::make_unique<CompoundFile>(std::make_shared<const Bytes>(slurp(path)));
            original = contentsOf(*source);
        } catch (const CfbError&) {
            // Damaged on purpose: what we cannot read we cannot carry over.
            ++unreadable;
            continue;
        }
        CompoundFileWriter w;
        w.copyFrom(*source, [](const std::string&) { return true; });
        const Bytes out = w.finish();
        CompoundFile copy = reopen(out);
        EXPECT_EQ(contentsOf(copy), original);
        EXPECT_EQ(copy.root().clsid, source->root().clsid);
        EXPECT_EQ(treeProblems(copy), "");
        written.push_back(writeFile(folder, std::to_string(written.size()) + ".bin", out));
        expected.push_back(std::move(original));
    }
    // Only the few files damaged on purpose are left out.
    EXPECT_GE(written.size(), 80u) << unreadable << " unreadable";

    if (!python()) GTEST_SKIP() << "python3 with olefile is not available";
    auto listings = olefileListings(folder, written);
    ASSERT_EQ(listings.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        SCOPED_TRACE(written[i]);
        expectListingMatches(listings[i], expected[i]);
    }
}

}  // namespace
}  // namespace xls::cfb
