#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include "native/zip/zip_archive.h"
#include "native/zip/zip_builder.h"

namespace xls::zip {
namespace {

using testing::BuildOptions;
using testing::buildZip;
using testing::BuiltEntry;
using testing::deflateRaw;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kMaxBytes = 1 << 20;

// Compressible, as the XML of a workbook is, but not one repeated byte.
Bytes pattern(std::size_t n, std::uint8_t seed) {
    Bytes v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i % 61 + i / 997);
    return v;
}

BuiltEntry entry(std::string name, Bytes content, std::uint16_t method = 8) {
    BuiltEntry e;
    e.name = std::move(name);
    e.content = std::move(content);
    e.method = method;
    return e;
}

std::vector<BuiltEntry> sampleEntries() {
    return {entry("[Content_Types].xml", pattern(3000, 1)),
            entry("xl/stored.bin", pattern(700, 2), 0), entry("xl/empty.xml", {}),
            entry("xl/empty-stored", {}, 0), entry("xl/", {}, 0)};
}

TEST(ZipBuilt, ReadsEntriesWithEveryKindOfEndRecord) {
    struct Case {
        const char* label;
        BuildOptions options;
        bool zip64Entries;
    };
    // The comment holds a signature of its own, which must not be taken for
    // the record.
    std::string comment = "written by hand PK\x05\x06 and more";
    comment.append(40, '.');
    const Case cases[] = {
        {"plain", {}, false},
        {"comment", {.comment = comment}, false},
        {"ZIP64", {.zip64End = true}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        auto built = sampleEntries();
        for (auto& e : built) e.zip64 = c.zip64Entries;
        const Bytes bytes = buildZip(built, c.options);
        const Archive archive = Archive::open(bytes);
        ASSERT_EQ(archive.entries().size(), built.size());
        for (std::size_t i = 0; i < built.size(); ++i) {
            const Entry& e = archive.entries()[i];
            EXPECT_EQ(e.name, built[i].name);
            EXPECT_EQ(e.method, built[i].method);
            EXPECT_EQ(e.uncompressedSize, built[i].content.size());
            EXPECT_EQ(e.compressedSize, built[i].method == 8 ? deflateRaw(built[i].content).size()
                                                             : built[i].content.size());
            EXPECT_EQ(archive.read(e, kMaxBytes), built[i].content) << e.name;
        }
    }
}

TEST(ZipBuilt, StreamingInSmallPiecesGivesTheWholeContent) {
    const Bytes content = pattern(50000, 7);
    const Bytes bytes = buildZip({entry("deflated", content), entry("stored", content, 0)});
    const Archive archive = Archive::open(bytes);
    for (const Entry& e : archive.entries()) {
        for (std::size_t piece : {1u, 7u}) {
            SCOPED_TRACE(e.name + " in pieces of " + std::to_string(piece));
            EntryStream s = archive.stream(e, kMaxBytes);
            Bytes got;
            std::uint8_t buf[7];
            while (std::size_t n = s.read(buf, piece)) {
                ASSERT_LE(n, piece);
                got.insert(got.end(), buf, buf + n);
            }
            EXPECT_EQ(got, content);
            EXPECT_EQ(s.produced(), content.size());
            EXPECT_EQ(s.read(buf, sizeof buf), 0u);
        }
    }
}

TEST(ZipBuilt, FindComparesNamesAsPartNames) {
    const Bytes bytes = buildZip({entry("[Content_Types].xml", {}), entry("XL/Workbook.xml", {}),
                                  entry("/docProps/app.xml", {}), entry("xl\\styles.xml", {}),
                                  entry("xl/workbook.xml", {})});
    const Archive archive = Archive::open(bytes);
    const auto& all = archive.entries();
    EXPECT_EQ(archive.find("xl/workbook.xml"), &all[1]);  // the first of two
    EXPECT_EQ(archive.find("/XL/WORKBOOK.XML"), &all[1]);
    EXPECT_EQ(archive.find("docprops/app.xml"), &all[2]);
    EXPECT_EQ(archive.find("/xl/Styles.xml"), &all[3]);
    EXPECT_EQ(archive.find(all[3].name), &all[3]);
    EXPECT_EQ(archive.find("[content_types].xml"), &all[0]);
    EXPECT_EQ(archive.find("xl/workbook"), nullptr);
    EXPECT_EQ(archive.find(""), nullptr);
}

TEST(ZipBuilt, DamagedOrRefusedEntriesFailWhenReadAndLeaveTheOthersReadable) {
    const Bytes content = pattern(5000, 4), deflated = deflateRaw(content);
    struct Case {
        const char* label;
        BuiltEntry damage;
        const char* message;
        bool refused = false;
        std::uint64_t maxBytes = kMaxBytes;
    };
    const Case cases[] = {
        {"CRC", {.crc = 1234}, "CRC-32"},
        {"deflate data cut short",
         {.data = Bytes(deflated.begin(), deflated.end() - 9)},
         "deflate data end"},
        {"not deflate data", {.data = Bytes(40, 0xFF)}, "bad deflate data"},
        {"declared size low", {.uncompressedSize = 4999}, "more than the 4999 bytes"},
        {"declared size high", {.uncompressedSize = 5001}, "fewer than the 5001"},
        {"stored sizes differ",
         {.method = 0, .uncompressedSize = 5001},
         "5000 bytes of data but declares 5001"},
        {"local header outside the file",
         {.localHeaderOffset = 1u << 31},
         "does not fit before the central directory"},
        {"local header offset wrong",
         {.localHeaderOffset = 5},
         "local header at offset 5 has signature"},
        {"data into the directory",
         {.compressedSize = deflated.size() + 30},
         "overlap the central directory"},
        {"data past the file",
         {.compressedSize = 1ull << 33, .zip64 = true},
         "run past the end of the file"},
        {"encrypted", {.flags = 1}, "is encrypted", true},
        {"method 12", {.method = 12}, "compressed with method 12", true},
        {"over the caller's limit", {}, "declares 5000 bytes, more than the 4999", true, 4999},
    };
    const Bytes good = pattern(900, 3);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BuiltEntry bad = c.damage;
        bad.name = "xl/bad.xml";
        bad.content = content;
        const Bytes bytes = buildZip({entry("good.xml", good), bad});
        const Archive archive = Archive::open(bytes);
        EXPECT_EQ(archive.read(archive.entries().at(0), kMaxBytes), good);
        const Entry& e = archive.entries().at(1);
        try {
            archive.read(e, c.maxBytes);
            ADD_FAILURE() << "read without an error";
        } catch (const ZipError& error) {
            EXPECT_THAT(error.what(), HasSubstr(c.message));
            EXPECT_THAT(error.what(), HasSubstr("xl/bad.xml"));
            EXPECT_EQ(dynamic_cast<const ZipRefused*>(&error) != nullptr, c.refused);
        }
        if (c.refused) continue;
        // A stream that failed keeps failing rather than look finished.
        try {
            EntryStream s = archive.stream(e, c.maxBytes);
            std::uint8_t buf[7];
            EXPECT_THROW(while (s.read(buf, sizeof buf)){}, ZipError);
            EXPECT_THROW(s.read(buf, sizeof buf), ZipError);
        } catch (const ZipError&) {
            // Damage found before any byte: the local header.
        }
    }
}

TEST(ZipBuilt, DamagedDirectoriesFailToOpen) {
    const std::vector<BuiltEntry> two = {entry(std::string(100, 'a'), pattern(10, 1)),
                                         entry(std::string(100, 'b'), pattern(10, 2))};
    const Bytes intact = buildZip(two);
    const std::size_t directory = Archive::open(intact).directoryOffset();
    Bytes badSignature = intact;
    badSignature[directory + 46 + 100 + 1] = 'X';  // the second central header's
    Bytes badLocator = buildZip(two, {.zip64End = true});
    badLocator[badLocator.size() - 22 - 20 + 8] ^= 0x10;  // the ZIP64 record's offset

    struct Case {
        const char* label;
        Bytes bytes;
        const char* message;
        bool refused = false;
        std::size_t maxEntries = 65536;
    };
    const Case cases[] = {
        {"empty", {}, "no end of central directory record"},
        {"end record cut short", Bytes(intact.begin(), intact.end() - 1),
         "no end of central directory record"},
        {"directory past the file", buildZip(two, {.directoryOffset = 1 << 20}),
         "central directory at offset 1048576"},
        {"count larger than the directory", buildZip(two, {.entryCount = 0xFFFF}),
         "declares 65535 entries, but its 292 bytes hold at most 6"},
        {"huge ZIP64 count", buildZip(two, {.zip64End = true, .entryCount = 1ull << 60}),
         "declares 1152921504606846976 entries"},
        {"count smaller than the directory", buildZip(two, {.entryCount = 1}),
         "more entries than the 1"},
        {"entries cut short", buildZip(two, {.entryCount = 3}), "entry 2 at offset"},
        {"central header signature", badSignature, "entry 1 at offset"},
        {"ZIP64 locator", badLocator, "ZIP64 end of central directory record"},
        {"too many entries", intact, "archive has 2 entries, more than the 1 allowed", true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        try {
            Archive::open(c.bytes, c.maxEntries);
            ADD_FAILURE() << "opened";
        } catch (const ZipError& error) {
            EXPECT_THAT(error.what(), HasSubstr(c.message));
            EXPECT_EQ(dynamic_cast<const ZipRefused*>(&error) != nullptr, c.refused);
        }
    }
}

TEST(ZipBuilt, ABombIsRefusedOrStoppedAtItsDeclaredSize) {
    // A gibibyte of zeros deflates to about a megabyte.
    BuiltEntry bomb = entry("xl/sharedStrings.xml", {});
    bomb.data = testing::deflateZeros(1024);
    bomb.uncompressedSize = 1ull << 30;
    BuiltEntry liar = bomb;
    liar.uncompressedSize = 4096;
    const Bytes bytes = buildZip({bomb, liar});
    const Archive archive = Archive::open(bytes);

    // Declared honestly: refused before anything is inflated.
    EXPECT_THROW(archive.stream(archive.entries()[0], kMaxBytes), ZipRefused);
    // Declared small: inflating stops one byte past the declared size.
    EntryStream s = archive.stream(archive.entries()[1], 1ull << 30);
    Bytes buf(1 << 16);
    EXPECT_THAT([&] { s.read(buf.data(), buf.size()); },
                ThrowsMessage<ZipError>(HasSubstr("more than the 4096 bytes declared")));
    EXPECT_EQ(s.produced(), 4096u);
}

}  // namespace
}  // namespace xls::zip
