#include "util/split_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace mokuji::util {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> split(std::int16_t mode, std::string_view text) {
    std::vector<std::string> parts = {"left", "over", "from", "before"};
    SplitText(mode, text, parts);
    return parts;
}

TEST(SplitTextDelimited, RowTextOfTwoValuesEndsWithAnEmptyField) {
    EXPECT_THAT(split(kSplitTabs, "a.xls\t鈴木\t"), ElementsAre("", "a.xls", "鈴木", ""));
}

TEST(SplitTextDelimited, EmptyPiecesAreKept) {
    EXPECT_THAT(split(kSplitTabs, "a\t\tb"), ElementsAre("", "a", "", "b"));
    EXPECT_THAT(split(kSplitTabs, "\t"), ElementsAre("", "", ""));
    EXPECT_THAT(split(kSplitCommas, ",a,"), ElementsAre("", "", "a", ""));
}

TEST(SplitTextDelimited, TextWithoutDelimiterIsOnePiece) {
    EXPECT_THAT(split(kSplitTabs, "a,b c"), ElementsAre("", "a,b c"));
    EXPECT_THAT(split(kSplitCommas, ""), ElementsAre("", ""));
}

TEST(SplitTextDelimited, OnlyTheCrLfPairBreaksALine) {
    EXPECT_THAT(split(kSplitLines, "a\nb\rc\r\nd\r\n"), ElementsAre("", "a\nb\rc", "d", ""));
    EXPECT_THAT(split(kSplitLines, "\n\r"), ElementsAre("", "\n\r"));
}

TEST(SplitTextParagraphs, BlankLinesSeparateAndEveryLineKeepsItsBreak) {
    EXPECT_THAT(split(kSplitParagraphs, "a\r\nb\r\n\r\n  \r\nc"),
                ElementsAre("", "a\r\nb\r\n", "c\r\n"));
}

TEST(SplitTextParagraphs, LeadingBlankLinesStartNothingTrailingOneLeavesEmptyLast) {
    EXPECT_THAT(split(kSplitParagraphs, "\r\n \r\na\r\n\r\n"), ElementsAre("", "a\r\n", ""));
}

TEST(SplitTextParagraphs, TextWithoutBreakOrEmptyText) {
    EXPECT_THAT(split(kSplitParagraphs, "abc"), ElementsAre("", "abc\r\n"));
    EXPECT_THAT(split(kSplitParagraphs, ""), ElementsAre("", ""));
    // A tab is not a space: the line is not blank.
    EXPECT_THAT(split(kSplitParagraphs, "a\r\n\t\r\nb"), ElementsAre("", "a\r\n\t\r\nb\r\n"));
}

TEST(SplitTextParagraphs, EveryModeOutsideTheKnownOnesSplitsParagraphs) {
    const std::string text = "a\r\n\r\nb\r\n";
    auto expected = split(kSplitParagraphs, text);
    EXPECT_THAT(expected, ElementsAre("", "a\r\n", "b\r\n"));
    EXPECT_EQ(split(7, text), expected);
    EXPECT_EQ(split(-1, text), expected);
    EXPECT_EQ(split(5, text), expected);
}

TEST(SplitTextQuoted, QuotedCommaStaysInItsPiece) {
    EXPECT_THAT(split(kSplitQuotedCsv, R"(a,"b,c",d)"), ElementsAre("", "a", "b,c", "d"));
    EXPECT_THAT(split(kSplitQuotedCsv, "a\t\"b\tc\""), ElementsAre("", "a", "b\tc"));
}

TEST(SplitTextQuoted, DoubledQuoteInsideQuotesIsOneQuote) {
    EXPECT_THAT(split(kSplitQuotedCsv, R"("say ""hi""",x)"), ElementsAre("", R"(say "hi")", "x"));
    // At the very end a quote just closes.
    EXPECT_THAT(split(kSplitQuotedCsv, R"("a"")"), ElementsAre("", R"(a")"));
}

TEST(SplitTextQuoted, TrailingCommaGivesEmptyLastPiece) {
    EXPECT_THAT(split(kSplitQuotedCsv, "a,b,"), ElementsAre("", "a", "b", ""));
    EXPECT_THAT(split(kSplitQuotedCsv, ""), ElementsAre("", ""));
}

TEST(SplitTextQuoted, SpacesAroundQuotesGoSpacesElsewhereStay) {
    EXPECT_THAT(split(kSplitQuotedCsv, R"(  "a b"  , c ,x"y"z)"),
                ElementsAre("", "a b", " c ", "xyz"));
}

TEST(SplitTextQuoted, LowControlCharactersAreDroppedLineBreaksKept) {
    EXPECT_THAT(split(kSplitQuotedCsv, std::string("a\x01\x08\0b,\"c\r\nd\"", 12)),
                ElementsAre("", "ab", "c\r\nd"));
}

TEST(SplitTextQuoted, UnclosedQuoteRunsToTheEnd) {
    EXPECT_THAT(split(kSplitQuotedCsv, R"(a,"b,c)"), ElementsAre("", "a", "b,c"));
}

}  // namespace
}  // namespace mokuji::util
