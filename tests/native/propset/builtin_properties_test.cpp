#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "native/cfb/compound_file.h"
#include "native/cfb/corpus_file.h"
#include "native/io/byte_reader.h"
#include "native/propset/builtin_properties.h"
#include "native/propset/ole_date.h"
#include "native/propset/property_stream_builder.h"

namespace xls::propset {
namespace {

// The C library of Windows knows zones by offset only, not by their names.
void useTimeZone(const char* posixName, const char* windowsName) {
#ifdef _WIN32
    (void)posixName;
    _putenv_s("TZ", windowsName);
    _tzset();
#else
    (void)windowsName;
    setenv("TZ", posixName, 1);
    tzset();
#endif
}

using namespace testing;

BuiltinProperties builtinsOf(const char* file) {
    cfb::CompoundFile cf(xls::testing::corpusBytes(file));
    auto si = cf.readStream("\x05SummaryInformation");
    auto dsi = cf.readStream(
        "\x05"
        "DocumentSummaryInformation");
    return readBuiltinProperties(si ? &*si : nullptr, dsi ? &*dsi : nullptr);
}

std::string text(const BuiltinProperties& p, int i) {
    return p[i] ? std::get<std::string>(p[i]->value) : "<absent>";
}
double number(const BuiltinProperties& p, int i) {
    return std::get<double>(p[i].value().value);
}
std::uint64_t seconds(const BuiltinProperties& p, int i) {
    return std::get<FileTime>(p[i].value().value).ticks / 10000000;
}

// Values cross-checked with an independent property set reader.
TEST(BuiltinPropertiesCorpus, JapaneseWorkbook) {
    auto p = builtinsOf("apache__poi/12561-1.xls");
    EXPECT_EQ(text(p, 3), "shikase");
    EXPECT_EQ(text(p, 7), "kawamoto");
    EXPECT_EQ(text(p, 9), "Microsoft Excel");
    EXPECT_EQ(text(p, 21), "アクチュエイトジャパン（株）");
    EXPECT_EQ(seconds(p, 10), 12670239136u);
    EXPECT_EQ(seconds(p, 11), 12670231405u);
    EXPECT_EQ(seconds(p, 12), 12670742776u);
    EXPECT_EQ(p[11]->type, kPropertyTypeDate);
    EXPECT_EQ(number(p, 17), 0);
    for (int absent : {1, 2, 4, 5, 6, 8, 13, 14, 18, 19, 20, 22, 29, 30})
        EXPECT_FALSE(p[absent]) << absent;
}

TEST(BuiltinPropertiesCorpus, CategoryManagerAndFriends) {
    auto p = builtinsOf("SheetJS__test_files/biff5__pivot_table_test.xls");
    EXPECT_EQ(text(p, 1), "ABC");
    EXPECT_EQ(text(p, 2), "DEF");
    EXPECT_EQ(text(p, 3), "GHI");
    EXPECT_EQ(text(p, 4), "TUV");
    EXPECT_EQ(text(p, 7), "god");
    EXPECT_EQ(text(p, 9), "Microsoft Macintosh Excel");
    EXPECT_EQ(text(p, 18), "PRS");
    EXPECT_EQ(text(p, 20), "JKL");
    EXPECT_EQ(text(p, 21), "MNO");
}

TEST(BuiltinPropertiesCorpus, EveryNumericPropertyAndWideStrings) {
    // A third-party writer that fills in all of them (as zero or empty).
    auto p = builtinsOf("extrame__xls/negatives.xls");
    for (int i : {14, 15, 16, 17, 22, 23, 24, 25, 26, 27, 28, 30}) {
        ASSERT_TRUE(p[i]) << i;
        EXPECT_EQ(p[i]->type, kPropertyTypeNumber);
        EXPECT_EQ(number(p, i), 0) << i;
    }
    EXPECT_EQ(text(p, 6), "");
    EXPECT_EQ(text(p, 8), "1");
    EXPECT_EQ(text(p, 9), "WPS 表格");
    EXPECT_FALSE(p[10]);  // last printed is not there
}

TEST(BuiltinPropertiesCorpus, EditingTimeInMinutesAndUtf8CodePage) {
    auto times = builtinsOf("extrame__xls/times.xls");
    EXPECT_EQ(number(times, 13), 3);
    EXPECT_EQ(text(times, 8), "4");
    auto names = builtinsOf("python-excel__xlrd/formula_test_names.xls");
    EXPECT_EQ(number(names, 13), 34534);  // 20720000000000 ticks
    EXPECT_EQ(text(names, 3), "Thomas Kluyver");
    EXPECT_EQ(text(names, 8), "21");
}

TEST(BuiltinPropertiesCorpus, HyperlinkBaseFromTheUserSection) {
    auto p = builtinsOf("apache__poi/60273.xls");
    ASSERT_TRUE(p[29]);
    EXPECT_EQ(text(p, 29), "");
    EXPECT_EQ(text(p, 21), "U.S. Department of Education");
}

TEST(BuiltinPropertiesCorpus, UnreadableStreamsGiveNothing) {
    // Encrypted with CryptoAPI: no SummaryInformation, a placeholder
    // DocumentSummaryInformation.
    auto enc = builtinsOf("SheetJS__test_files/password_2002_128_enhanced.xls");
    for (int i = 1; i <= kBuiltinPropertyCount; ++i) EXPECT_FALSE(enc[i]) << i;

    Bytes garbage(200, 0x5A);
    auto si = propertyStream({{kSummaryInformationFmtid, {{4, typed(VT_LPSTR, lpstr("me"))}}}});
    auto p = readBuiltinProperties(&garbage, &garbage);
    for (int i = 1; i <= kBuiltinPropertyCount; ++i) EXPECT_FALSE(p[i]) << i;
    p = readBuiltinProperties(&si, &garbage);
    EXPECT_EQ(text(p, 3), "me");
    EXPECT_FALSE(p[21]);
    EXPECT_THROW(parsePropertySet(garbage), PropsetError);
}

TEST(BuiltinPropertiesBuilt, OddTypesAndZeroDates) {
    Bytes zero(8, 0), ticks;
    put32(ticks, 0x256D4000);  // 125911584000000000
    put32(ticks, 0x01BF53EB);
    Bytes blob;
    put32(blob, 8);
    for (char16_t c : u"a/b\0") put16(blob, static_cast<std::uint16_t>(c));
    Bytes dict;
    put32(dict, 1);
    put32(dict, 2);
    put32(dict, 14);
    for (char c : std::string("_PID_LINKBASE")) dict.push_back(static_cast<std::uint8_t>(c));
    dict.push_back(0);
    Bytes count;
    put32(count, 7);
    auto si = propertyStream({{kSummaryInformationFmtid,
                               {{0x0B, typed(VT_FILETIME, zero)},
                                {0x0C, typed(VT_FILETIME, ticks)},
                                {0x02, typed(VT_I4, count)},  // a title that is a number
                                {0x0E, typed(VT_I4, count)}}}});
    auto dsi =
        propertyStream({{kDocSummaryInformationFmtid, {{0x02, typed(VT_EMPTY, {})}}},
                        {kUserDefinedPropertiesFmtid, {{0, dict}, {2, typed(VT_BLOB, blob)}}}});
    auto p = readBuiltinProperties(&si, &dsi);
    EXPECT_FALSE(p[10]);                      // a zero FILETIME means "never"
    EXPECT_EQ(seconds(p, 11), 12591158400u);  // 2000-01-01 00:00:00 UTC
    EXPECT_FALSE(p[1]);
    EXPECT_EQ(number(p, 14), 7);
    EXPECT_FALSE(p[18]);
    EXPECT_EQ(text(p, 29), "a/b");
}

// A property 0 that holds a plain value where the dictionary belongs, one
// entry pointing outside the stream and one string running past its end:
// each is left out alone, and the strict parse used for rewriting still
// refuses the set.
TEST(BuiltinPropertiesBuilt, ADamagedEntrySpoilsOnlyItself) {
    Bytes codepage;
    put16(codepage, 1252);
    auto si = propertyStream({{kSummaryInformationFmtid,
                               {{0x02, typed(VT_LPSTR, lpstr("title"))},
                                {0x03, typed(VT_LPSTR, lpstr("subject"))},
                                {0x05, typed(VT_LPSTR, lpstr("keywords"))},
                                {0x04, typed(VT_LPSTR, lpstr("author"))},
                                {0x00, typed(VT_I2, codepage)}}}});
    // The section starts at 48; its table after the 8-byte header.
    auto entryOffset = [&](std::size_t entry) { return 48 + 8 + 8 * entry + 4; };
    si[entryOffset(1)] = 0xF0;
    si[entryOffset(1) + 1] = 0xFF;
    const std::size_t keywords = 48 + io::le32(si.data() + entryOffset(2));
    si[keywords + 4] = 0xFF;  // string size
    si[keywords + 5] = 0xFF;
    auto p = readBuiltinProperties(&si, nullptr);
    EXPECT_EQ(text(p, 1), "title");
    EXPECT_EQ(text(p, 3), "author");
    EXPECT_FALSE(p[2]);
    EXPECT_FALSE(p[4]);
    const auto set = parsePropertySet(si, DamagedProperty::Skip);
    ASSERT_EQ(set.sections.size(), 1u);
    EXPECT_THAT(set.sections[0].skipped,
                ::testing::ElementsAre(::testing::HasSubstr("property 3 at offset 65520 lies"),
                                       ::testing::HasSubstr("property 5 at offset"),
                                       ::testing::HasSubstr("property 0:")));
    EXPECT_THROW(parsePropertySet(si), PropsetError);
}

TEST(BuiltinProperties, NamesAndTypes) {
    EXPECT_STREQ(builtinPropertyName(1), "Title");
    EXPECT_STREQ(builtinPropertyName(8), "Revision number");
    EXPECT_STREQ(builtinPropertyName(30), "Number of characters (with spaces)");
    EXPECT_EQ(builtinPropertyName(0), nullptr);
    EXPECT_EQ(builtinPropertyName(31), nullptr);
    int strings = 0, dates = 0, numbers = 0;
    for (int i = 1; i <= 30; ++i) {
        int t = builtinPropertyType(i);
        strings += t == kPropertyTypeString;
        dates += t == kPropertyTypeDate;
        numbers += t == kPropertyTypeNumber;
    }
    EXPECT_EQ(strings, 14);
    EXPECT_EQ(dates, 3);
    EXPECT_EQ(numbers, 13);
    EXPECT_EQ(builtinPropertyType(8), kPropertyTypeString);
    EXPECT_EQ(builtinPropertyType(13), kPropertyTypeNumber);
}

TEST(OleDate, LocalTimeOfFileTimes) {
    useTimeZone("Asia/Tokyo", "JST-9");
    // 2000-01-01 00:00:00.5 UTC is 09:00 in Tokyo; the half second is dropped.
    EXPECT_DOUBLE_EQ(fileTimeToLocalOleDate({125911584005000000}), 36526.375);
    useTimeZone("UTC", "UTC0");
    EXPECT_DOUBLE_EQ(fileTimeToLocalOleDate({125911584000000000}), 36526.0);
    // 1899-12-29 06:00 UTC: negative dates keep a positive time of day.
    EXPECT_DOUBLE_EQ(fileTimeToLocalOleDate({94353120000000000 - 864000000000 + 216000000000}),
                     -1.25);
    useTimeZone("Asia/Tokyo", "JST-9");
}

}  // namespace
}  // namespace xls::propset
