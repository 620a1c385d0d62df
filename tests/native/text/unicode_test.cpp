#include "native/text/unicode.h"

#include <gtest/gtest.h>

#include <vector>

#include "native/text/codepage.h"

namespace xls::text {
namespace {

std::vector<std::uint8_t> bytes(std::initializer_list<int> b) {
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

TEST(Unicode, Utf16ToUtf8CoversEveryLengthAndBrokenSurrogates) {
    // "aé目" and U+1F600 as a surrogate pair.
    auto u = bytes({0x61, 0x00, 0xE9, 0x00, 0xEE, 0x76, 0x3D, 0xD8, 0x00, 0xDE});
    EXPECT_EQ(utf16leToUtf8(u), "aé目\xF0\x9F\x98\x80");
    // An unpaired high surrogate at the end, a lone low one in the middle.
    EXPECT_EQ(utf16leToUtf8(bytes({0x3D, 0xD8})), "\xEF\xBF\xBD");
    EXPECT_EQ(utf16leToUtf8(bytes({0x00, 0xDE, 0x61, 0x00})),
              "\xEF\xBF\xBD"
              "a");
    // An odd trailing byte is no unit.
    EXPECT_EQ(utf16leToUtf8(bytes({0x61, 0x00, 0x62})), "a");
    EXPECT_EQ(utf16leToUtf8({}), "");
}

TEST(Unicode, Latin1AndRoundTrips) {
    EXPECT_EQ(latin1ToUtf8(bytes({0x41, 0xE9, 0xFF})), "Aéÿ");
    std::string text = "目次 ﾌｧｲﾙ \xF0\x9F\x98\x80 é";
    std::u16string units = utf8ToUtf16(text);
    EXPECT_EQ(utf16ToUtf8(units), text);
    EXPECT_EQ(utf16Length(text), units.size());
    EXPECT_EQ(utf16Length("\xF0\x9F\x98\x80"), 2u);
    // Malformed UTF-8 counts one unit per bad byte and never overreads.
    EXPECT_EQ(utf16Length("\xE3\x81"), 2u);
    EXPECT_EQ(utf8ToUtf16("\xFF"), std::u16string(1, u'\xFFFD'));
}

TEST(Unicode, CodePointsFromUnitsKeepUnpairedSurrogatesAndNeverOverread) {
    struct Case {
        std::u16string units;
        std::u32string codePoints;
    };
    const Case cases[] = {
        {u"a\xD83D\xDE00目", U"a\U0001F600目"},
        {u"\xD83D", {0xD83D}},                // a high surrogate at the end
        {{0xD83D, u'a'}, {0xD83D, U'a'}},     // one before an ordinary unit
        {u"\xDE00\xD83D", {0xDE00, 0xD83D}},  // a low one first: no pair
        {u"\xD83D\xD83D\xDE00", {0xD83D, 0x1F600}},
    };
    for (const Case& c : cases) {
        std::u32string got;
        for (std::size_t i = 0; i < c.units.size();) got += nextCodePoint(c.units, i);
        EXPECT_EQ(got, c.codePoints) << utf16ToUtf8(c.units);
    }
}

TEST(CodePage, JapaneseAndWesternBytes) {
    // "目次" in code page 932, "café" in 1252.
    EXPECT_EQ(codepageToUtf8(bytes({0x96, 0xDA, 0x8E, 0x9F}), 932), "目次");
    EXPECT_EQ(codepageToUtf8(bytes({0x63, 0x61, 0x66, 0xE9}), 1252), "café");
    EXPECT_EQ(codepageToUtf8(bytes({0xEE, 0x76}), 1200), "目");
    // A lead byte without its trail byte is marked, not dropped silently.
    EXPECT_EQ(codepageToUtf8(bytes({0x41, 0x96}), 932), "A\xEF\xBF\xBD");
    // Malformed UTF-8 in a UTF-8 section is repaired.
    EXPECT_EQ(codepageToUtf8(bytes({0x61, 0xC3}), 65001), "a\xEF\xBF\xBD");
}

// 0x85 leads a row code page 932 leaves empty: that one byte is marked and
// reading picks up again right after it, with no character lost around it.
TEST(CodePage, UnassignedCharacterIsMarkedAndReadingGoesOn) {
    EXPECT_EQ(codepageToUtf8(bytes({0x96, 0xDA, 0x85, 0x40, 0x8E, 0x9F}), 932),
              "目\xEF\xBF\xBD@次");
}

}  // namespace
}  // namespace xls::text
