#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <numeric>

#include "native/cfb/cfb_builder.h"
#include "native/cfb/compound_file.h"

namespace xls::cfb {
namespace {

using testing::buildCompoundFile;
using testing::BuiltFile;
using ::testing::HasSubstr;
using testing::TestStream;
using ::testing::ThrowsMessage;

std::vector<std::uint8_t> pattern(std::size_t n, std::uint8_t seed) {
    std::vector<std::uint8_t> v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i * 7 + i / 251);
    return v;
}

CompoundFile open(std::vector<std::uint8_t> bytes) {
    return CompoundFile(std::make_shared<const std::vector<std::uint8_t>>(std::move(bytes)));
}

std::vector<TestStream> sampleStreams() {
    return {{"Workbook", pattern(9000, 1)},
            {"\x05SummaryInformation", pattern(300, 2)},
            {"Small", pattern(64, 3)},
            {"Empty", {}}};
}

TEST(CompoundFileBuilt, ReadsBackBothSectorSizes) {
    for (unsigned shift : {9u, 12u}) {
        SCOPED_TRACE(shift);
        auto streams = sampleStreams();
        CompoundFile cf = open(buildCompoundFile(streams, shift).bytes);
        EXPECT_EQ(cf.header().sectorSize(), 1u << shift);
        EXPECT_EQ(cf.header().majorVersion, shift == 9 ? 3 : 4);
        ASSERT_EQ(cf.rootChildren().size(), streams.size());
        for (const auto& s : streams) {
            auto got = cf.readStream(s.name);
            ASSERT_TRUE(got) << s.name;
            EXPECT_EQ(*got, s.data) << s.name;
        }
    }
}

TEST(CompoundFileBuilt, FollowsChainedDifatSectors) {
    auto streams = sampleStreams();
    BuiltFile f = buildCompoundFile(streams, 9, 240);
    ASSERT_GE(f.difatSectors.size(), 2u);
    CompoundFile cf = open(f.bytes);
    EXPECT_EQ(cf.fatSectors(), f.fatSectors);
    EXPECT_EQ(cf.difatSectors(), f.difatSectors);
    EXPECT_EQ(*cf.readStream("Workbook"), streams[0].data);
}

TEST(CompoundFileBuilt, VersionThreeIgnoresHighHalfOfSize) {
    auto streams = sampleStreams();
    BuiltFile f = buildCompoundFile(streams, 9);
    f.put32(f.directoryEntryOffset(1) + 124, 0xDEADBEEF);
    CompoundFile cf = open(f.bytes);
    EXPECT_EQ(cf.findInRoot("Workbook")->size >> 32, 0xDEADBEEFu);
    EXPECT_EQ(*cf.readStream("Workbook"), streams[0].data);
}

TEST(CompoundFileBuilt, ShortLastSectorIsReadWhileTheStreamFits) {
    std::vector<TestStream> streams = {{"Workbook", pattern(5000, 9)}};
    BuiltFile f = buildCompoundFile(streams, 9);
    // Move the workbook to the end of the file, then cut the file so that
    // its last sector holds only the bytes the stream needs.
    std::uint32_t start = f.streamStarts[0];
    std::uint32_t sectors = (5000 + 511) / 512;
    std::uint32_t newStart = static_cast<std::uint32_t>(f.bytes.size() / 512 - 1);
    f.bytes.resize(f.bytes.size() + sectors * 512, 0);
    for (std::uint32_t k = 0; k < sectors; ++k) {
        std::copy_n(f.bytes.begin() + static_cast<std::ptrdiff_t>(f.sectorOffset(start + k)), 512,
                    f.bytes.begin() + static_cast<std::ptrdiff_t>(f.sectorOffset(newStart + k)));
        f.put32(f.fatEntryOffset(newStart + k), k + 1 < sectors ? newStart + k + 1 : 0xFFFFFFFE);
    }
    f.put32(f.directoryEntryOffset(1) + 116, newStart);
    f.bytes.resize(f.sectorOffset(newStart) + 5000);
    ASSERT_NE(f.bytes.size() % 512, 0u);
    EXPECT_EQ(*open(f.bytes).readStream("Workbook"), streams[0].data);

    // One byte less and the stream no longer fits.
    f.bytes.pop_back();
    EXPECT_THAT([&] { open(f.bytes).readStream("Workbook"); },
                ThrowsMessage<CfbError>(HasSubstr("cut short")));
}

// A stream taken out of the file's own bytes is the stream readStream gives,
// however its sectors lie; where they cannot be moved to the front in
// place, the file stays whole for the other streams.
TEST(CompoundFileBuilt, TakenStreamsEqualReadOnes) {
    std::vector<TestStream> streams = {{"Workbook", pattern(9000, 1)},
                                       {"Other", pattern(5000, 4)},
                                       {"\x05SummaryInformation", pattern(300, 2)}};
    const std::uint32_t count = (9000 + 511) / 512;
    BuiltFile reversed = buildCompoundFile(streams, 9);
    {
        // The same sectors chained last to first: the stream's end lies
        // before its place in the stream.
        const std::uint32_t s = reversed.streamStarts[0];
        ASSERT_LT(s + 1, count);
        std::vector<std::uint8_t> bytes = reversed.bytes;
        for (std::uint32_t k = 0; k < count; ++k) {
            const std::uint32_t at = s + count - 1 - k;
            std::copy_n(
                bytes.begin() + static_cast<std::ptrdiff_t>(reversed.sectorOffset(s + k)), 512,
                reversed.bytes.begin() + static_cast<std::ptrdiff_t>(reversed.sectorOffset(at)));
            reversed.put32(reversed.fatEntryOffset(at), k + 1 < count ? at - 1 : 0xFFFFFFFE);
        }
        reversed.put32(reversed.directoryEntryOffset(1) + 116, s + count - 1);
    }
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        bool inPlace;
    };
    for (const Case& c : {Case{"as laid", buildCompoundFile(streams, 9).bytes, true},
                          Case{"reversed", reversed.bytes, false}}) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes = c.bytes;
        CompoundFile cf(std::move(bytes));
        EXPECT_EQ(cf.takeStream(*cf.findInRoot("Workbook")), streams[0].data);
        EXPECT_EQ(cf.bytes().empty(), c.inPlace);
        EXPECT_EQ(*cf.readStream("\x05SummaryInformation"), streams[2].data);
        if (!c.inPlace) {
            EXPECT_EQ(*cf.readStream("Other"), streams[1].data);
        }
    }

    // A broken chain is reported as reading reports it, the bytes kept.
    BuiltFile looped = buildCompoundFile(streams, 9);
    looped.put32(looped.fatEntryOffset(looped.streamStarts[0] + 3), looped.streamStarts[0]);
    CompoundFile cf(std::vector<std::uint8_t>(looped.bytes));
    EXPECT_THAT([&] { cf.takeStream(*cf.findInRoot("Workbook")); },
                ThrowsMessage<CfbError>(HasSubstr("loops back")));
    EXPECT_EQ(cf.bytes(), looped.bytes);
}

TEST(CompoundFileBuilt, UnusedEntriesInTheTreeAreSkipped) {
    BuiltFile f = buildCompoundFile(sampleStreams(), 9);
    f.bytes[f.directoryEntryOffset(3) + 66] = 0;  // "Small" becomes unused
    CompoundFile cf = open(f.bytes);
    EXPECT_EQ(cf.rootChildren().size(), 3u);
    EXPECT_EQ(cf.findInRoot("Small"), nullptr);
    EXPECT_TRUE(cf.readStream("Empty"));  // reached through the unused entry
}

TEST(CompoundFileBuilt, HostileHeaders) {
    const auto good = buildCompoundFile(sampleStreams(), 9).bytes;
    EXPECT_THAT([&] { open({}); }, ThrowsMessage<CfbError>(HasSubstr("0 bytes")));
    EXPECT_THAT([&] { open(std::vector<std::uint8_t>(good.begin(), good.begin() + 300)); },
                ThrowsMessage<CfbError>(HasSubstr("300 bytes")));
    EXPECT_THAT([&] { open(std::vector<std::uint8_t>(4096, 0)); },
                ThrowsMessage<CfbError>(HasSubstr("signature")));

    auto patched = [&](std::size_t offset, std::uint16_t value) {
        auto b = good;
        b[offset] = static_cast<std::uint8_t>(value);
        b[offset + 1] = static_cast<std::uint8_t>(value >> 8);
        return b;
    };
    EXPECT_THAT([&] { open(patched(28, 0x1234)); },
                ThrowsMessage<CfbError>(HasSubstr("byte order mark 0x1234")));
    EXPECT_THAT([&] { open(patched(30, 10)); },
                ThrowsMessage<CfbError>(HasSubstr("sector shift 10")));
    EXPECT_THAT([&] { open(patched(26, 4)); },
                ThrowsMessage<CfbError>(HasSubstr("version 4 with sector size 512")));
    EXPECT_THAT([&] { open(patched(26, 7)); },
                ThrowsMessage<CfbError>(HasSubstr("major version 7")));
    EXPECT_THAT([&] { open(patched(32, 7)); },
                ThrowsMessage<CfbError>(HasSubstr("mini sector shift 7")));
}

TEST(CompoundFileBuilt, HostileChainsThrowInsteadOfLooping) {
    const auto streams = sampleStreams();
    const BuiltFile good = buildCompoundFile(streams, 9, 240);
    const std::uint32_t wb = good.streamStarts[0];

    {  // FAT chain loop inside the workbook
        BuiltFile f = good;
        f.put32(f.fatEntryOffset(wb + 5), wb + 2);
        CompoundFile cf = open(f.bytes);
        EXPECT_THAT(
            [&] { cf.readStream("Workbook"); },
            ThrowsMessage<CfbError>(HasSubstr("loops back to sector " + std::to_string(wb + 2))));
    }
    {  // chain step beyond the end of the file
        BuiltFile f = good;
        f.put32(f.fatEntryOffset(wb + 1), 812);
        CompoundFile cf = open(f.bytes);
        EXPECT_THAT([&] { cf.readStream("Workbook"); },
                    ThrowsMessage<CfbError>(HasSubstr("sector 812 beyond end of data")));
    }
    {  // start sector beyond the end of the file
        BuiltFile f = good;
        f.put32(f.directoryEntryOffset(1) + 116, 0x7FFFFFF0);
        CompoundFile cf = open(f.bytes);
        EXPECT_THROW(cf.readStream("Workbook"), CfbError);
    }
    {  // chain ends early
        BuiltFile f = good;
        f.put32(f.fatEntryOffset(wb + 3), 0xFFFFFFFE);
        CompoundFile cf = open(f.bytes);
        EXPECT_THAT([&] { cf.readStream("Workbook"); },
                    ThrowsMessage<CfbError>(HasSubstr("ends after 4 sectors")));
    }
    {  // DIFAT chain pointing back at itself
        BuiltFile f = good;
        ASSERT_GE(f.difatSectors.size(), 2u);
        std::uint32_t d1 = f.difatSectors[1];
        // Fill it with real FAT sectors so that only the loop can end it.
        for (std::size_t j = 0; j < 127; ++j) f.put32(f.sectorOffset(d1) + 4 * j, f.fatSectors[0]);
        f.put32(f.sectorOffset(d1) + 508, f.difatSectors[0]);
        f.put32(72, 100);  // and the header claims many more FAT sectors
        f.put32(44, 100000);
        EXPECT_THAT([&] { open(f.bytes); },
                    ThrowsMessage<CfbError>(HasSubstr("DIFAT chain loops")));
    }
    {  // FAT sector listed beyond the end of the file
        BuiltFile f = good;
        f.put32(76, 640);
        EXPECT_THAT([&] { open(f.bytes); },
                    ThrowsMessage<CfbError>(HasSubstr("FAT sector 640 beyond end of file")));
    }
    {  // directory chain that loops on its first sector
        BuiltFile f = buildCompoundFile(streams, 9);
        f.put32(48, 0x00FFFFFF);
        EXPECT_THAT([&] { open(f.bytes); },
                    ThrowsMessage<CfbError>(HasSubstr("directory: sector 16777215")));
    }
    {  // mini FAT loop: large streams still read, small ones report it
        BuiltFile f = buildCompoundFile(streams, 9);
        CompoundFile before = open(f.bytes);
        std::uint32_t small = f.streamStarts[1];
        // Find the mini FAT sector through the parsed header and loop entry
        // `small` onto itself.
        std::uint32_t miniFatSector = before.header().firstMiniFatSector;
        f.put32(f.sectorOffset(miniFatSector) + 4 * small, small);
        CompoundFile cf = open(f.bytes);
        EXPECT_THAT([&] { cf.readStream("\x05SummaryInformation"); },
                    ThrowsMessage<CfbError>(HasSubstr("loops back to mini sector")));
        EXPECT_EQ(*cf.readStream("Workbook"), streams[0].data);
    }
}

TEST(CompoundFileBuilt, DirectoryCyclesThrow) {
    {  // a sibling pointing back at an earlier sibling
        BuiltFile f = buildCompoundFile(sampleStreams(), 9);
        f.put32(f.directoryEntryOffset(3) + 72, 1);
        EXPECT_THAT([&] { open(f.bytes); },
                    ThrowsMessage<CfbError>(HasSubstr("reaches entry 1 twice")));
    }
    {  // a child link back to the root
        BuiltFile f = buildCompoundFile(sampleStreams(), 9);
        f.put32(f.directoryEntryOffset(2) + 68, 0);
        EXPECT_THROW(open(f.bytes), CfbError);
    }
    {  // a storage whose own subtree loops: the file opens, the walk throws
        BuiltFile f = buildCompoundFile(sampleStreams(), 9);
        f.bytes[f.directoryEntryOffset(4) + 66] = DirectoryEntry::Storage;
        f.put32(f.directoryEntryOffset(4) + 76, 4);
        CompoundFile cf = open(f.bytes);
        EXPECT_THROW(cf.children(*cf.findInRoot("Empty")), CfbError);
    }
    {  // links past the directory are ignored
        BuiltFile f = buildCompoundFile(sampleStreams(), 9);
        f.put32(f.directoryEntryOffset(2) + 68, 5000);
        EXPECT_EQ(open(f.bytes).rootChildren().size(), 4u);
    }
}

TEST(CompoundFileBuilt, RandomDamageNeverEscapesAsAnythingElse) {
    // Flip bytes in the header, FAT and directory: every outcome must be a
    // readable stream or a CfbError.
    const BuiltFile good = buildCompoundFile(sampleStreams(), 9);
    std::uint32_t state = 12345;
    auto next = [&] { return state = state * 1103515245u + 12345u; };
    for (int round = 0; round < 400; ++round) {
        auto bytes = good.bytes;
        for (int k = 0; k < 4; ++k) {
            std::size_t region = next() % 3;
            std::size_t offset = region == 0 ? 24 + next() % 60
                                 : region == 1
                                     ? good.sectorOffset(good.fatSectors[0]) + next() % 512
                                     : good.directoryEntryOffset(0) + next() % 640;
            bytes[offset] = static_cast<std::uint8_t>(next() >> 16);
        }
        try {
            CompoundFile cf = open(bytes);
            for (const auto* e : cf.rootChildren()) {
                try {
                    if (e->isStream()) cf.readStream(*e);
                } catch (const CfbError&) {
                }
            }
        } catch (const CfbError&) {
        }
    }
    SUCCEED();
}

}  // namespace
}  // namespace xls::cfb
