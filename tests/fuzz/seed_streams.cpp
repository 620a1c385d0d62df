// fuzz-seed-streams OUTDIR FILE...: writes the Workbook and property set
// streams of seed workbooks to OUTDIR/workbook_stream and
// OUTDIR/property_set, and the parts of seed packages to
// OUTDIR/workbook_parts, so those fuzzers start from real streams and parts.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_entries.h"

namespace {

void save(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: fuzz-seed-streams OUTDIR FILE...\n", stderr);
        return 2;
    }
    std::filesystem::path out = argv[1];
    std::filesystem::create_directories(out / "workbook_stream");
    std::filesystem::create_directories(out / "property_set");
    std::filesystem::create_directories(out / "workbook_parts");
    for (int i = 2; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)),
                                        std::istreambuf_iterator<char>());
        auto seeds = mokuji::fuzz::seedStreams(bytes);
        // Seed files of different folders share names; the index keeps them apart.
        std::string stem =
            std::to_string(i - 1) + "_" + std::filesystem::path(argv[i]).stem().string();
        if (!seeds.workbook.empty()) save(out / "workbook_stream" / stem, seeds.workbook);
        for (std::size_t k = 0; k < seeds.propertySets.size(); ++k)
            save(out / "property_set" / (stem + "_" + std::to_string(k)), seeds.propertySets[k]);
        if (auto parts = mokuji::fuzz::seedParts(bytes); !parts.empty())
            save(out / "workbook_parts" / stem, parts);
    }
    return 0;
}
