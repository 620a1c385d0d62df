#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "native/cfb/python_reader.h"
#include "native/zip/zip_archive.h"
#include "native/zip/zip_builder.h"
#include "native/zip/zip_writer.h"
#include "support/temp_folder.h"

namespace xls::zip {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using Bytes = std::vector<std::uint8_t>;

constexpr std::uint64_t kMaxBytes = 16 << 20;

Bytes pattern(std::size_t n, std::uint8_t seed) {
    Bytes v(n);
    for (std::size_t i = 0; i < n; ++i) v[i] = static_cast<std::uint8_t>(seed + i % 61 + i / 997);
    return v;
}

Bytes readFile(const std::string& path) {
    std::ifstream in(fake::utf8Path(path), std::ios::binary);
    if (!in) throw std::runtime_error("missing test file " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ByteSink into(Bytes& out) {
    return [&out](std::span<const std::uint8_t> b) { out.insert(out.end(), b.begin(), b.end()); };
}

std::string hex(std::string_view s) {
    static const char digits[] = "0123456789abcdef";
    std::string h;
    for (unsigned char c : s) h += {digits[c >> 4], digits[c & 15]};
    return h;
}

// What Python's zipfile finds in each file: whether testzip found a bad
// entry, then per entry the name as it decodes it (UTF-8, in hex), method,
// time, length and CRC-32 of the content.
const char* const kZipfileListing = R"(
import sys, zipfile, zlib
for path in sys.argv[1:]:
    z = zipfile.ZipFile(path)
    print("bad:", z.testzip())
    for i in z.infolist():
        data = z.read(i)
        print(i.filename.encode("utf-8").hex(), i.compress_type,
              "%d-%d-%d %d:%d:%d" % i.date_time, len(data), zlib.crc32(data))
)";

std::optional<std::string> zipfileListing(const std::vector<Bytes>& archives) {
    fake::TempFolder dir;
    std::vector<std::string> paths;
    for (const Bytes& a : archives)
        paths.push_back(
            dir.write(std::to_string(paths.size()) + ".zip", std::string(a.begin(), a.end())));
    std::string failure;
    auto out = xls::testing::runPython(dir.path(), kZipfileListing, paths, &failure);
    if (!out) ADD_FAILURE() << "zipfile failed: " << failure;
    return out;
}

TEST(ZipWriter, EntriesReadBackAsWrittenByOurReaderAndPythons) {
    struct Case {
        std::string name;
        Bytes content;
        bool deflated;
    };
    const Case cases[] = {
        {"[Content_Types].xml", pattern(50000, 1), true},
        {"xl/media/image1.png", pattern(700, 2), false},
        {"xl/empty.xml", {}, true},
        {"xl/empty.bin", {}, false},
        {"xl/worksheets/目次.xml", pattern(3000, 3), true},
    };
    const DosTime time = dosTime(2024, 2, 29, 13, 45, 31);
    Bytes bytes;
    ZipWriter writer(into(bytes), time);
    for (const Case& c : cases) {
        if (c.deflated)
            writer.addDeflated(c.name, c.content);
        else
            writer.addStored(c.name, c.content);
    }
    writer.finish();
    EXPECT_EQ(writer.size(), bytes.size());

    const Archive archive = Archive::open(bytes);
    ASSERT_EQ(archive.entries().size(), std::size(cases));
    std::string expected = "bad: None\n";
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const Entry& e = archive.entries()[i];
        SCOPED_TRACE(c.name);
        EXPECT_EQ(e.name, c.name);
        EXPECT_EQ(e.method, c.deflated ? 8 : 0);
        EXPECT_EQ(e.flags, i == 4 ? 0x0800 : 0);
        EXPECT_EQ(e.modified, time);
        EXPECT_EQ(archive.read(e, kMaxBytes), c.content);
        if (c.deflated && !c.content.empty()) {
            EXPECT_LT(e.compressedSize, c.content.size() / 2);
        }
        expected += hex(c.name) + " " + std::to_string(e.method) + " 2024-2-29 13:45:30 " +
                    std::to_string(c.content.size()) + " " +
                    std::to_string(crc32_z(0, c.content.data(), c.content.size())) + "\n";
    }
    if (!xls::testing::pythonHasModule("zipfile")) GTEST_SKIP() << "no /usr/bin/python3";
    EXPECT_EQ(zipfileListing({bytes}), expected);
}

TEST(ZipWriter, CopiedEntriesKeepTheirBytesBesideNewOnes) {
    // The application's, LibreOffice's with data descriptors, and one with
    // '\' in its names.
    const char* const files[] = {
        "jmcnamara__XlsxWriter/defined_name02.xlsx",
        "tafia__calamine/date_1904.xlsx",
        "PHPOffice__PhpSpreadsheet/Zip-Windows-Directory-Separator.xlsx",
    };
    for (const char* file : files) {
        SCOPED_TRACE(file);
        const Bytes source = readFile(fake::testData("corpus-xlsx/") + file);
        const Archive from = Archive::open(source);
        Bytes bytes;
        ZipWriter writer(into(bytes));
        for (const Entry& e : from.entries()) writer.copyEntry(from, e);
        writer.addDeflated("customXml/item1.xml", "<added/>");
        writer.finish();

        const Archive copy = Archive::open(bytes);
        ASSERT_EQ(copy.entries().size(), from.entries().size() + 1);
        for (std::size_t i = 0; i < from.entries().size(); ++i) {
            const Entry &was = from.entries()[i], &is = copy.entries()[i];
            SCOPED_TRACE(was.name);
            EXPECT_EQ(is.name, was.name);
            EXPECT_EQ(is.method, was.method);
            EXPECT_EQ(is.flags, was.flags & ~0x0008);
            EXPECT_EQ(is.crc32, was.crc32);
            EXPECT_EQ(is.modified, was.modified);
            EXPECT_EQ(is.uncompressedSize, was.uncompressedSize);
            const auto wasData = from.storedData(was), isData = copy.storedData(is);
            EXPECT_TRUE(std::equal(wasData.begin(), wasData.end(), isData.begin(), isData.end()));
            EXPECT_EQ(copy.read(is, kMaxBytes).size(), was.uncompressedSize);
        }
        const Bytes added = copy.read(copy.entries().back(), kMaxBytes);
        EXPECT_EQ(std::string(added.begin(), added.end()), "<added/>");

        if (!xls::testing::pythonHasModule("zipfile")) continue;
        // The same listing for both, but the one entry added.
        const auto listing = zipfileListing({source, bytes});
        ASSERT_TRUE(listing);
        const std::size_t half = listing->find("bad:", 1);
        ASSERT_NE(half, std::string::npos);
        const std::string before = listing->substr(0, half), after = listing->substr(half);
        EXPECT_EQ(after.substr(0, before.size()), before);
        EXPECT_THAT(after.substr(before.size()), HasSubstr(hex("customXml/item1.xml")));
    }
}

TEST(ZipWriter, RefusedEntriesLeaveTheArchiveWhole) {
    // An encrypted entry, and one whose data the directory says run past
    // the file.
    const Bytes source = zip::testing::buildZip(
        {{.name = "secret", .content = pattern(10, 1), .flags = 1},
         {.name = "cut", .content = pattern(10, 2), .compressedSize = 1 << 20}});
    const Archive from = Archive::open(source);

    Bytes bytes;
    ZipWriter writer(into(bytes));
    writer.addStored("xl/a.xml", "a");
    struct Case {
        const char* label;
        std::function<void()> add;
        const char* message;
    };
    const Case cases[] = {
        {"same name", [&] { writer.addStored("xl/a.xml", "b"); }, "already in the archive"},
        {"same part name", [&] { writer.addDeflated("/XL\\A.xml", "b"); }, "already in"},
        {"not UTF-8", [&] { writer.addDeflated("xl/\xFF.xml", "b"); }, "not UTF-8"},
        {"no name", [&] { writer.addStored("", "b"); }, "1 to 65535 bytes, not 0"},
        {"encrypted", [&] { writer.copyEntry(from, from.entries()[0]); }, "is encrypted"},
        {"data outside", [&] { writer.copyEntry(from, from.entries()[1]); }, "run past the end"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_THAT(c.add, ThrowsMessage<ZipError>(HasSubstr(c.message)));
    }
    writer.addStored("xl/b.xml", "b");
    writer.finish();
    EXPECT_THROW(writer.addStored("xl/c.xml", "c"), ZipError);
    const Archive archive = Archive::open(bytes);
    ASSERT_EQ(archive.entries().size(), 2u);
    EXPECT_EQ(archive.read(archive.entries()[1], 1), Bytes{'b'});

    // A sink that fails leaves an archive that takes nothing more.
    int calls = 0;
    ZipWriter failing([&](std::span<const std::uint8_t>) {
        if (++calls == 2) throw std::runtime_error("disk full");
    });
    EXPECT_THROW(failing.addStored("a", "a"), std::runtime_error);
    EXPECT_THROW(failing.finish(), ZipError);

    for (auto bad : {std::array{1979, 12, 31, 0, 0, 0}, std::array{2108, 1, 1, 0, 0, 0},
                     std::array{2023, 2, 29, 0, 0, 0}, std::array{2024, 4, 31, 0, 0, 0},
                     std::array{2024, 13, 1, 0, 0, 0}, std::array{2024, 1, 1, 24, 0, 0}})
        EXPECT_THROW(dosTime(bad[0], bad[1], bad[2], bad[3], bad[4], bad[5]), ZipError);
}

TEST(ZipWriter, AnArchiveThatWouldNeedZip64IsRefused) {
    // 65,535 in the end record's count would tell readers to look for a
    // ZIP64 record.
    Bytes bytes;
    ZipWriter writer(into(bytes));
    for (int i = 0; i < 65534; ++i) writer.addStored(std::to_string(i), "");
    EXPECT_THAT([&] { writer.addStored("one more", ""); },
                ThrowsMessage<ZipError>(HasSubstr("more than 65534 entries")));
    writer.finish();
    EXPECT_EQ(Archive::open(bytes).entries().size(), 65534u);
}

}  // namespace
}  // namespace xls::zip
