#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "native/cfb/compound_file.h"
#include "native/cfb/written_file_checks.h"
#include "native/io/byte_reader.h"
#include "native/propset/property_set.h"
#include "native/propset/property_set_writer.h"
#include "native/propset/property_stream_builder.h"

namespace xls::propset {
namespace {

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using namespace testing;

Value str(std::uint16_t type, std::string s) {
    return Value{type, std::move(s)};
}

// The layout rules every stream we write must follow, checked on the bytes:
// sections and values start on four-byte boundaries, each section's size
// covers exactly its bytes, and sections follow each other to the end.
void expectWellFormed(const Bytes& stream) {
    ASSERT_GE(stream.size(), 48u);
    EXPECT_EQ(stream.size() % 4, 0u);
    io::ByteReader r(stream);
    r.seek(24);
    const std::uint32_t sections = r.u32();
    std::uint32_t expectedStart = 28 + 20 * sections;
    for (std::uint32_t i = 0; i < sections; ++i) {
        r.seek(28 + 20 * i + 16);
        const std::uint32_t start = r.u32();
        EXPECT_EQ(start, expectedStart);
        r.seek(start);
        const std::uint32_t size = r.u32();
        const std::uint32_t count = r.u32();
        EXPECT_EQ(size % 4, 0u);
        for (std::uint32_t k = 0; k < count; ++k) {
            r.seek(start + 8 + 8 * k + 4);
            const std::uint32_t offset = r.u32();
            EXPECT_EQ(offset % 4, 0u);
            EXPECT_LT(offset, size);
        }
        expectedStart = start + size;
    }
    EXPECT_EQ(expectedStart, stream.size());
}

PropertySet oneSection(Section s) {
    PropertySet set;
    set.systemIdentifier = 0x00020006;
    set.sections.push_back(std::move(s));
    return set;
}

Section everyType(int codepage) {
    Section s;
    s.fmtid = kSummaryInformationFmtid;
    s.codepage = codepage;
    auto& p = s.properties;
    p[1] = Value{VT_I2, std::int32_t{static_cast<std::int16_t>(codepage)}};
    p[2] = str(VT_LPSTR, "caf\u00e9 au lait");
    p[3] = str(VT_LPSTR, "");
    p[4] = str(VT_LPWSTR, "\u5e73\u6210 and \U0001F600");
    p[5] = Value{VT_I2, std::int32_t{-2}};
    p[6] = Value{VT_I4, std::int32_t{-100000}};
    p[7] = Value{VT_UI4, std::uint32_t{0xFFFFFFF0}};
    p[8] = Value{VT_R8, 1.5};
    p[9] = Value{VT_BOOL, true};
    p[10] = Value{VT_BOOL, false};
    p[11] = Value{VT_FILETIME, FileTime{132000000000000000ull}};
    p[12] = Value{VT_BLOB, std::vector<std::uint8_t>{1, 2, 3, 4, 5}};
    p[13] = Value{VT_I1, std::int32_t{-5}};
    p[14] = Value{VT_UI1, std::uint32_t{200}};
    p[15] = Value{VT_UI2, std::uint32_t{60000}};
    p[16] = Value{VT_I8, std::int64_t{-1234567890123}};
    p[17] = Value{VT_UI8, std::uint64_t{1234567890123}};
    p[18] = Value{VT_R4, 0.25};
    p[19] = Value{VT_CY, 12.3456};
    p[20] = Value{VT_DATE, 45000.5};
    p[21] = Value{VT_ERROR, std::uint32_t{0x80004005}};
    p[22] = Value{VT_CLSID, std::vector<std::uint8_t>(16, 0x42)};
    p[23] = Value{VT_EMPTY, std::monostate{}};
    p[24] = Value{VT_VECTOR | VT_LPSTR, std::vector<std::string>{"Sheet1", "", "Odd length"}};
    p[25] = Value{VT_VECTOR | VT_LPWSTR, std::vector<std::string>{"a", "bc", "\u8868"}};
    // Heading pairs: strings next to counts, which is where packing matters.
    p[26] = Value{VT_VECTOR | VT_VARIANT,
                  std::vector<Value>{str(VT_LPSTR, "Worksheets"), Value{VT_I4, std::int32_t{3}},
                                     str(VT_LPSTR, "Named ranges"), Value{VT_I2, std::int32_t{1}},
                                     Value{VT_BOOL, true}, str(VT_LPWSTR, "wide"),
                                     Value{VT_FILETIME, FileTime{7}}}};
    p[27] = Value{VT_VECTOR | VT_I2,
                  std::vector<Value>{Value{VT_I2, std::int32_t{1}}, Value{VT_I2, std::int32_t{-1}},
                                     Value{VT_I2, std::int32_t{3}}}};
    return s;
}

TEST(PropertySetWriter, EveryTypeRoundTripsInByteAndUnicodeCodePages) {
    for (int codepage : {1252, 1200}) {
        SCOPED_TRACE(codepage);
        const PropertySet set = oneSection(everyType(codepage));
        const Bytes bytes = writePropertySet(set);
        expectWellFormed(bytes);
        EXPECT_EQ(parsePropertySet(bytes), set);
    }
}

TEST(PropertySetWriter, JapaneseTextAndDictionariesInEachCodePage) {
    for (int codepage : {932, 1200, 65001}) {
        SCOPED_TRACE(codepage);
        PropertySet set;
        Section s;
        s.fmtid = kDocSummaryInformationFmtid;
        s.codepage = codepage;
        s.properties[1] = Value{VT_I2, std::int32_t{static_cast<std::int16_t>(codepage)}};
        s.properties[0x0F] = str(VT_LPSTR, "アクチュエイトジャパン（株）");
        s.properties[0x0D] =
            Value{VT_VECTOR | VT_LPSTR, std::vector<std::string>{"作業リスト", "集計"}};
        set.sections.push_back(s);
        Section user;
        user.fmtid = kUserDefinedPropertiesFmtid;
        user.codepage = codepage;
        user.properties[1] = s.properties[1];
        user.dictionary = {{2, "_PID_LINKBASE"}, {3, "担当者"}, {4, "x"}};
        user.properties[2] = Value{VT_BLOB, std::vector<std::uint8_t>{}};
        user.properties[3] = str(VT_LPSTR, "山田");
        user.properties[4] = Value{VT_I4, std::int32_t{1}};
        set.sections.push_back(user);
        const Bytes bytes = writePropertySet(set);
        expectWellFormed(bytes);
        EXPECT_EQ(parsePropertySet(bytes), set);
    }
}

TEST(PropertySetWriter, BytesMatchAnIndependentlyBuiltStream) {
    Section s;
    s.fmtid = kSummaryInformationFmtid;
    s.properties[1] = Value{VT_I2, std::int32_t{1252}};
    s.properties[2] = str(VT_LPSTR, "Budget");
    s.properties[0x13] = Value{VT_I4, std::int32_t{2}};
    Bytes i4;
    put32(i4, 2);
    Bytes codepage;
    put16(codepage, 1252);
    put16(codepage, 0);
    const Bytes expected = propertyStream({{kSummaryInformationFmtid,
                                            {{1, typed(VT_I2, codepage)},
                                             {2, typed(VT_LPSTR, lpstr("Budget"))},
                                             {0x13, typed(VT_I4, i4)}}}});
    EXPECT_EQ(writePropertySet(oneSection(s)), expected);
}

TEST(PropertySetWriter, CodePagePropertyOnlyWhereTheSectionNeedsIt) {
    Section s;
    s.fmtid = kSummaryInformationFmtid;
    s.properties[2] = str(VT_LPSTR, "Budget");
    // Read from a file that had none: written back without one.
    EXPECT_EQ(parsePropertySet(writePropertySet(oneSection(s))).sections.at(0).properties.count(1),
              0u);
    // Any other code page must be stated, or the text would read as 1252.
    s.codepage = 932;
    s.properties[2] = str(VT_LPSTR, "予算");
    const PropertySet back = parsePropertySet(writePropertySet(oneSection(s)));
    EXPECT_EQ(back.sections.at(0).codepage, 932);
    EXPECT_EQ(*back.sections.at(0).properties.at(2).get<std::string>(), "予算");
}

TEST(PropertySetWriter, RefusesWhatCannotBeWrittenFaithfully) {
    Section s;
    s.fmtid = kSummaryInformationFmtid;
    auto fails = [&](std::uint32_t id, Value v, const char* why) {
        Section bad = s;
        bad.properties[id] = std::move(v);
        EXPECT_THAT([&] { writePropertySet(oneSection(bad)); },
                    ThrowsMessage<PropsetError>(HasSubstr(why)))
            << why;
    };
    fails(2, Value{VT_CF, ClipboardData{-1, 100}}, "clipboard data");
    fails(2, Value{0x09, Unsupported{}}, "not decoded");
    fails(2, Value{VT_I4, std::string("text")}, "holds data of another kind");
    fails(2, Value{VT_I2, std::int32_t{40000}}, "does not fit");
    fails(2, str(VT_LPSTR, "日本語"), "no form in code page 1252");
    fails(2, Value{VT_CLSID, std::vector<std::uint8_t>(15)}, "expected 16");
    fails(0, Value{VT_I4, std::int32_t{1}}, "dictionary");
    fails(2,
          Value{VT_VECTOR | VT_VARIANT,
                std::vector<Value>{Value{VT_VECTOR | VT_I4, std::vector<Value>{}}}},
          "may not itself be a vector");
    fails(2, Value{VT_VECTOR | VT_I2, std::vector<Value>{Value{VT_I4, std::int32_t{1}}}},
          "in a vector of");

    PropertySet empty;
    EXPECT_THROW(writePropertySet(empty), PropsetError);
    PropertySet tooMany;
    tooMany.sections.assign(17, s);
    EXPECT_THROW(writePropertySet(tooMany), PropsetError);
}

// --- Files other programs wrote --------------------------------------------

TEST(PropertySetWriterCorpus, EveryParsedStreamRoundTrips) {
    std::size_t streams = 0;
    std::size_t written = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(
             std::string(MOKUJI_TEST_DATA_DIR) + "/corpus")) {
        if (!entry.is_regular_file()) continue;
        cfb::testing::Contents contents;
        try {
            std::ifstream in(entry.path(), std::ios::binary);
            auto bytes = std::make_shared<const Bytes>(std::istreambuf_iterator<char>(in),
                                                       std::istreambuf_iterator<char>());
            if (!cfb::CompoundFile::hasSignature(*bytes)) continue;
            contents = cfb::testing::contentsOf(cfb::CompoundFile(bytes));
        } catch (const cfb::CfbError&) {
            continue;
        }
        for (const auto& [path, item] : contents) {
            const auto slash = path.rfind('/');
            if (item.storage || path[slash == std::string::npos ? 0 : slash + 1] != '\x05')
                continue;
            SCOPED_TRACE(entry.path().string() + " " + path.substr(1));
            PropertySet set;
            try {
                set = parsePropertySet(item.data);
            } catch (const PropsetError&) {
                continue;  // encrypted or damaged: nothing to write back
            }
            ++streams;
            Bytes out;
            try {
                out = writePropertySet(set);
            } catch (const PropsetError& e) {
                // Only thumbnails and types the reader does not decode may
                // stop a stream from being written back.
                EXPECT_THAT(e.what(), ::testing::AnyOf(HasSubstr("clipboard data"),
                                                       HasSubstr("not decoded")));
                continue;
            }
            ++written;
            expectWellFormed(out);
            EXPECT_EQ(parsePropertySet(out), set);
        }
    }
    EXPECT_GT(streams, 100u);
    EXPECT_GT(written, streams * 9 / 10);
}

}  // namespace
}  // namespace xls::propset
