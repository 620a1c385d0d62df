// Every seed and every input a fuzzer once crashed on goes through the same
// entry as in the fuzzer; each must come back with a result or the layer's
// own error.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_entries.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;
using Entry = std::function<void(std::span<const std::uint8_t>)>;

const fs::path kData = MOKUJI_TEST_DATA_DIR;
const fs::path kSeeds = MOKUJI_FUZZ_SEED_DIR;

Bytes readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<fs::path> filesUnder(const fs::path& dir, const std::string& extension = "") {
    std::vector<fs::path> files;
    if (!fs::exists(dir)) return files;
    for (const auto& e : fs::recursive_directory_iterator(dir))
        if (e.is_regular_file() && (extension.empty() || e.path().extension() == extension))
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<fs::path> seedWorkbooks() {
    auto files = filesUnder(kData / "corpus", ".xls");
    auto fixtures = filesUnder(kData / "fixtures", ".xls");
    files.insert(files.end(), fixtures.begin(), fixtures.end());
    return files;
}

void replay(const Entry& entry, const Bytes& input, const std::string& what) {
    SCOPED_TRACE(what);
    EXPECT_NO_THROW(entry(input));
}

// The committed crash inputs of one target; none is fine.
void replayRegressions(const std::string& target, const Entry& entry) {
    for (const auto& file : filesUnder(kData / "fuzz-regressions" / target))
        replay(entry, readAll(file), file.string());
}

// A seed list holds one input a line.
void replaySeedList(const std::string& target, const Entry& entry) {
    std::ifstream in(kSeeds / (target + ".txt"));
    std::string line;
    int count = 0;
    while (std::getline(in, line)) {
        replay(entry, Bytes(line.begin(), line.end()), target + " seed '" + line + "'");
        ++count;
    }
    EXPECT_GT(count, 20) << "seed list of " << target << " missing";
}

TEST(FuzzReplay, WholeFileTargetsTakeEverySeedWorkbook) {
    auto seeds = seedWorkbooks();
    ASSERT_GT(seeds.size(), 50u) << "corpus missing under " << kData;
    for (const auto& file : seeds) {
        Bytes bytes = readAll(file);
        replay(mokuji::fuzz::compoundFile, bytes, "compound_file " + file.string());
        replay(mokuji::fuzz::workbookFile, bytes, "workbook_file " + file.string());
    }
    replayRegressions("compound_file", mokuji::fuzz::compoundFile);
    replayRegressions("workbook_file", mokuji::fuzz::workbookFile);
}

TEST(FuzzReplay, ZipTargetTakesEverySeedPackage) {
    auto seeds = filesUnder(kData / "corpus-xlsx", ".xlsx");
    auto macroSeeds = filesUnder(kData / "corpus-xlsx", ".xlsm");
    seeds.insert(seeds.end(), macroSeeds.begin(), macroSeeds.end());
    ASSERT_GE(seeds.size(), 5u) << "corpus missing under " << kData;
    std::size_t parts = 0;
    for (const auto& file : seeds) {
        replay(mokuji::fuzz::zipArchive, readAll(file), "zip_archive " + file.string());
        auto seed = mokuji::fuzz::seedParts(readAll(file));
        if (seed.empty()) continue;
        replay(mokuji::fuzz::workbookParts, seed, "workbook_parts " + file.string());
        ++parts;
    }
    EXPECT_GT(parts, 100u) << "the parts the fuzz script seeds with";
    replayRegressions("zip_archive", mokuji::fuzz::zipArchive);
    replayRegressions("workbook_parts", mokuji::fuzz::workbookParts);
}

TEST(FuzzReplay, StreamTargetsTakeTheStreamsOfEverySeedWorkbook) {
    std::size_t workbooks = 0, propertySets = 0;
    for (const auto& file : seedWorkbooks()) {
        auto streams = mokuji::fuzz::seedStreams(readAll(file));
        if (!streams.workbook.empty()) {
            replay(mokuji::fuzz::workbookStream, streams.workbook, "Workbook of " + file.string());
            ++workbooks;
        }
        for (const auto& stream : streams.propertySets) {
            replay(mokuji::fuzz::propertySet, stream, "property set of " + file.string());
            ++propertySets;
        }
    }
    // Most corpus files are whole workbooks with properties; far fewer
    // streams means the extraction the fuzz script relies on broke.
    EXPECT_GT(workbooks, 50u);
    EXPECT_GT(propertySets, 50u);
    replayRegressions("workbook_stream", mokuji::fuzz::workbookStream);
    replayRegressions("property_set", mokuji::fuzz::propertySet);
}

TEST(FuzzReplay, TextTargetsTakeTheirSeedLists) {
    replaySeedList("typed_entry", mokuji::fuzz::typedEntry);
    replaySeedList("reference", mokuji::fuzz::reference);
    replayRegressions("typed_entry", mokuji::fuzz::typedEntry);
    replayRegressions("reference", mokuji::fuzz::reference);
}

}  // namespace
