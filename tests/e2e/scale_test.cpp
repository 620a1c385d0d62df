// The program at the format's edges: the longest texts a cell holds and a
// template with more names than the list has columns for.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/e2e_support.h"

namespace e2e {
namespace {

class AtTheEdges : public ::testing::Test, protected Scene {
  protected:
    ProgramRun run() { return Scene::run({folder}); }
};

std::string repeated(const std::string& unit, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += unit;
    return out;
}

TEST_F(AtTheEdges, TheLongestCellTextsArriveWhole) {
    // 32,767 characters, the most a cell holds: Japanese ones take two bytes
    // each in the file, so the text is split over several continuation
    // records, once in the middle of the run of Japanese.
    const std::string japanese = repeated("あ", 20000) + repeated("z", 12766) + "終";
    const std::string ascii = repeated("0123456789", 3276) + "abcdefg";
    makeSource(at("a.xls"), {{2, 2, japanese, "本文"}, {3, 2, "短い", "見出し"}});
    makeSource(at("b.xls"), {{2, 2, ascii, "本文"}, {3, 2, "", "見出し"}});

    ProgramRun r = run();
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string expected = "sheet 目次\nNo.|FILE名|本文|見出し\n||2|3\n||2|2\n1|a.xls|" +
                                 japanese + "|短い\n2|b.xls|" + ascii + "|\n";
    expectBothReadersAgree(list(), expected);

    // Updated in place, the texts survive a second round through the list.
    ProgramRun again = run();
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(listAsOurReaderSees(list()), expected);
}

TEST_F(AtTheEdges, ATemplateWithMoreNamesThanColumnsFillsTheWidestList) {
    // 260 names in one row: the list takes 250 columns, the file name
    // column among them, and the widest list still fits the sheet's 256.
    std::vector<std::string> names;
    names.reserve(260);  // the values below point into it
    std::vector<fake::NamedValue> values;
    for (int i = 1; i <= 260; ++i) {
        char label[16];
        std::snprintf(label, sizeof label, "項目%03d", i);
        names.emplace_back(label);
        values.push_back({names.back().c_str(), 2 + (i - 1) / 200, 1 + (i - 1) % 200,
                          automation::Variant("v" + std::to_string(i))});
    }
    fake::makeSource(at("a.xls"), values);

    ProgramRun r = run();
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string seen = listAsOurReaderSees(at("00_目次.xls"));
    const std::string header = seen.substr(0, seen.find('\n', seen.find('\n') + 1));
    EXPECT_EQ(std::count(header.begin(), header.end(), '|'), 250);
    EXPECT_THAT(header, ::testing::StartsWith("sheet 目次\nNo.|FILE名|項目001|項目002|"));
    // The names sort by text; the one that sorts last gave way.
    EXPECT_THAT(header, ::testing::EndsWith("|項目248|項目249"));
    EXPECT_THAT(seen, ::testing::HasSubstr("\n1|a.xls|v1|v2|"));
}

}  // namespace
}  // namespace e2e
