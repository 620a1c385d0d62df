#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "native/cfb/compound_file.h"
#include "native/cfb/corpus_file.h"
#include "native/propset/property_set.h"
#include "native/propset/property_stream_builder.h"

namespace xls::propset {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;
using namespace testing;

std::vector<std::uint8_t> corpusStream(const char* file, const char* stream) {
    cfb::CompoundFile cf(xls::testing::corpusBytes(file));
    auto bytes = cf.readStream(stream);
    if (!bytes) throw std::runtime_error(std::string("no stream in ") + file);
    return *bytes;
}

TEST(PropertySetCorpus, JapaneseSummaryInCodePage932) {
    auto set = parsePropertySet(corpusStream("apache__poi/12561-1.xls", "\x05SummaryInformation"));
    ASSERT_EQ(set.sections.size(), 1u);
    const Section& s = set.sections[0];
    EXPECT_EQ(s.fmtid, kSummaryInformationFmtid);
    EXPECT_EQ(s.codepage, 932);
    EXPECT_EQ(*s.properties.at(4).get<std::string>(), "shikase");
    EXPECT_EQ(s.properties.at(0x0C).type, VT_FILETIME);
    EXPECT_EQ(s.properties.at(0x0C).get<FileTime>()->ticks / 10000000, 12670231405u);
}

TEST(PropertySetCorpus, HeadingPairsAndTitlesOfParts) {
    auto set = parsePropertySet(corpusStream("apache__poi/12561-1.xls",
                                             "\x05"
                                             "DocumentSummaryInformation"));
    const Section& s = set.sections.at(0);
    EXPECT_EQ(*s.properties.at(0x0F).get<std::string>(), "アクチュエイトジャパン（株）");
    const auto* pairs = s.properties.at(0x0C).get<std::vector<Value>>();
    ASSERT_NE(pairs, nullptr);
    ASSERT_EQ(pairs->size(), 2u);
    EXPECT_EQ(*(*pairs)[0].get<std::string>(), "ワークシート");
    EXPECT_EQ(*(*pairs)[1].get<std::int32_t>(), 1);
    const auto* titles = s.properties.at(0x0D).get<std::vector<std::string>>();
    ASSERT_NE(titles, nullptr);
    EXPECT_THAT(*titles, ElementsAre("作業リスト"));
}

TEST(PropertySetCorpus, UserDefinedSectionWithDictionary) {
    auto set = parsePropertySet(corpusStream("apache__poi/60273.xls",
                                             "\x05"
                                             "DocumentSummaryInformation"));
    ASSERT_EQ(set.sections.size(), 2u);
    const Section& user = set.sections[1];
    EXPECT_EQ(user.fmtid, kUserDefinedPropertiesFmtid);
    bool found = false;
    for (const auto& [id, name] : user.dictionary)
        if (name == "_PID_LINKBASE") {
            found = true;
            EXPECT_EQ(user.properties.at(id).type, VT_BLOB);
        }
    EXPECT_TRUE(found);
}

TEST(PropertySetCorpus, SectionSizesThatDisagreeWithTheStream) {
    // Declares 4 bytes more than the stream holds.
    auto set = parsePropertySet(corpusStream("apache__poi/NoGutsRecords.xls",
                                             "\x05"
                                             "DocumentSummaryInformation"));
    EXPECT_EQ(set.sections.size(), 2u);
    EXPECT_FALSE(set.sections[1].dictionary.empty());
}

TEST(PropertySetBuilt, TypesVectorsAndUnknownTypes) {
    Bytes packed;  // byte strings inside variants are packed, as writers do
    put32(packed, 3);
    put16(packed, VT_LPSTR);
    put16(packed, 0);
    for (auto b : lpstr("Sheets")) packed.push_back(b);
    put16(packed, VT_I4);
    put16(packed, 0);
    put32(packed, 2);
    put16(packed, VT_BOOL);
    put16(packed, 0);
    put16(packed, 0xFFFF);
    put16(packed, 0);
    Bytes strings;
    put32(strings, 2);
    for (auto b : lpstr("One")) strings.push_back(b);
    for (auto b : lpstr("Two")) strings.push_back(b);
    Bytes unknown = {0x09, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD};  // VT_DISPATCH
    Bytes i2;
    put16(i2, 1252);
    Bytes wide;
    put32(wide, 3);
    for (char16_t c : u"\u00e9t\0") put16(wide, static_cast<std::uint16_t>(c));
    Bytes cf;
    put32(cf, 8);
    put32(cf, static_cast<std::uint32_t>(-1));
    put32(cf, 3);

    auto stream = propertyStream({{kSummaryInformationFmtid,
                                   {{1, typed(VT_I2, i2)},
                                    {2, typed(VT_LPSTR, lpstr("caf\xE9"))},
                                    {3, typed(VT_VECTOR | VT_VARIANT, packed)},
                                    {4, typed(VT_VECTOR | VT_LPSTR, strings)},
                                    {5, unknown},
                                    {6, typed(VT_LPWSTR, wide)},
                                    {7, typed(VT_CF, cf)},
                                    {8, typed(VT_R8, {0, 0, 0, 0, 0, 0, 0xF8, 0x3F})}}}});
    auto set = parsePropertySet(stream);
    const auto& p = set.sections.at(0).properties;
    EXPECT_EQ(set.sections[0].codepage, 1252);
    EXPECT_EQ(*p.at(2).get<std::string>(), "caf\u00e9");
    const auto* v = p.at(3).get<std::vector<Value>>();
    ASSERT_NE(v, nullptr);
    ASSERT_EQ(v->size(), 3u);
    EXPECT_EQ(*(*v)[0].get<std::string>(), "Sheets");
    EXPECT_EQ(*(*v)[1].get<std::int32_t>(), 2);
    EXPECT_EQ(*(*v)[2].get<bool>(), true);
    EXPECT_THAT(*p.at(4).get<std::vector<std::string>>(), ElementsAre("One", "Two"));
    EXPECT_TRUE(p.at(5).isUnsupported());
    EXPECT_EQ(p.at(5).type, 9);
    EXPECT_EQ(*p.at(6).get<std::string>(), "\u00e9t");
    EXPECT_EQ(p.at(7).get<ClipboardData>()->format, -1);
    EXPECT_EQ(*p.at(8).get<double>(), 1.5);
}

TEST(PropertySetBuilt, UnicodeDictionaryAndStrings) {
    Bytes cp;
    put16(cp, 1200);
    Bytes dict;
    put32(dict, 1);
    put32(dict, 2);
    put32(dict, 4);  // characters with the NUL
    for (char16_t c : u"Ab\u00e7\0") put16(dict, static_cast<std::uint16_t>(c));
    Bytes text;  // VT_LPSTR in code page 1200 holds UTF-16
    put32(text, 6);
    for (char16_t c : u"xy\0") put16(text, static_cast<std::uint16_t>(c));
    auto stream =
        propertyStream({{kUserDefinedPropertiesFmtid,
                         {{0, dict}, {1, typed(VT_I2, cp)}, {2, typed(VT_LPSTR, text)}}}});
    auto set = parsePropertySet(stream);
    const Section& s = set.sections.at(0);
    EXPECT_EQ(s.codepage, 1200);
    EXPECT_EQ(s.dictionary.at(2), "Ab\u00e7");
    EXPECT_EQ(*s.properties.at(2).get<std::string>(), "xy");
}

TEST(PropertySetBuilt, DamagedStreamsThrowPropsetError) {
    auto good = propertyStream({{kSummaryInformationFmtid, {{2, typed(VT_LPSTR, lpstr("x"))}}}});
    EXPECT_THAT([] { parsePropertySet({}); }, ThrowsMessage<PropsetError>(HasSubstr("header")));
    auto encrypted = good;
    encrypted[0] = 0x3C;
    encrypted[1] = 0x91;
    EXPECT_THAT([&] { parsePropertySet(encrypted); },
                ThrowsMessage<PropsetError>(HasSubstr("byte order mark 0x913C")));
    auto many = good;
    many[24] = 0xFF;
    EXPECT_THAT([&] { parsePropertySet(many); },
                ThrowsMessage<PropsetError>(HasSubstr("255 sections")));
    auto offset = good;
    offset[44] = 0xF0;  // section offset past the end
    EXPECT_THROW(parsePropertySet(offset), PropsetError);
    auto longString = good;
    longString[longString.size() - 8] = 0xFF;  // string size past the end
    EXPECT_THAT([&] { parsePropertySet(longString); },
                ThrowsMessage<PropsetError>(HasSubstr("property 2")));
    auto count = good;
    count[52] = 0xFF;
    count[53] = 0xFF;  // 65535 properties in a few bytes
    EXPECT_THROW(parsePropertySet(count), PropsetError);
    for (std::size_t cut = 0; cut + 2 < good.size(); ++cut)
        EXPECT_THROW(parsePropertySet(std::span(good.data(), cut)), PropsetError) << cut;
}

}  // namespace
}  // namespace xls::propset
