#include <gtest/gtest.h>

#include <string_view>

#include "native/input/r1c1_reference.h"

namespace xls::input {
namespace {

using formula::Area;
using formula::kLastCol;
using formula::kLastRow;

Area areaOf(std::string_view text, std::int32_t baseRow = 0, std::int32_t baseCol = 0) {
    const auto parsed = parseR1C1Reference(text, baseRow, baseCol);
    EXPECT_TRUE(parsed.has_value()) << text;
    return parsed ? parsed->area : Area{-1, -1, -1, -1};
}

TEST(R1C1Reference, AbsoluteShapes) {
    EXPECT_EQ(areaOf("R3C2"), (Area{2, 1, 2, 1}));
    EXPECT_EQ(areaOf("=r3c2"), (Area{2, 1, 2, 1}));
    EXPECT_EQ(areaOf("R3C2:R5C4"), (Area{2, 1, 4, 3}));
    EXPECT_EQ(areaOf("R5C4:R3C2"), (Area{2, 1, 4, 3}));
    EXPECT_EQ(areaOf("R5C2:R3C4"), (Area{2, 1, 4, 3}));
    EXPECT_EQ(areaOf("R3"), (Area{2, 0, 2, kLastCol}));
    EXPECT_EQ(areaOf("R3:R5"), (Area{2, 0, 4, kLastCol}));
    EXPECT_EQ(areaOf("C2"), (Area{0, 1, kLastRow, 1}));
    EXPECT_EQ(areaOf("C2:C4"), (Area{0, 1, kLastRow, 3}));
    EXPECT_EQ(areaOf("R65536C256"), (Area{kLastRow, kLastCol, kLastRow, kLastCol}));
}

TEST(R1C1Reference, RelativeToTheBaseCell) {
    EXPECT_EQ(areaOf("R[1]C[-1]", 4, 4), (Area{5, 3, 5, 3}));
    EXPECT_EQ(areaOf("RC", 4, 7), (Area{4, 7, 4, 7}));
    EXPECT_EQ(areaOf("R[0]C[0]", 4, 7), (Area{4, 7, 4, 7}));
    EXPECT_EQ(areaOf("R", 9, 9), (Area{9, 0, 9, kLastCol}));
    EXPECT_EQ(areaOf("C[2]", 9, 9), (Area{0, 11, kLastRow, 11}));
    EXPECT_EQ(areaOf("R1C:R[2]C[1]", 4, 4), (Area{0, 4, 6, 5}));
    EXPECT_FALSE(parseR1C1Reference("R[-1]C", 0, 0));
    EXPECT_FALSE(parseR1C1Reference("RC[1]", 0, kLastCol));
    EXPECT_FALSE(parseR1C1Reference("R[1]C", kLastRow, 0));
    EXPECT_FALSE(parseR1C1Reference("RC", -1, 0));
}

TEST(R1C1Reference, SheetPrefixes) {
    auto parsed = parseR1C1Reference("=Sheet1!R3C2");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->sheet, "Sheet1");
    EXPECT_EQ(parsed->area, (Area{2, 1, 2, 1}));
    parsed = parseR1C1Reference("'It''s 目次'!C1");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->sheet, "It's 目次");
    parsed = parseR1C1Reference("目次!R1C1:R2C2");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->sheet, "目次");
    EXPECT_FALSE(parseR1C1Reference("R3C2")->sheet);
}

TEST(R1C1Reference, Refusals) {
    for (std::string_view text :
         {"",        "=",          "R0C1",    "R1C0",        "R65537C1",      "R1C257",
          "R01C1",   "R1C1:",      ":R1C1",   "R1C1:R2",     "R1:C1",         "R1C1:R2C2:R3C3",
          "R[1",     "R[]C",       "R[+1]C",  "R[1000000]C", "R9999999C1",    "A1",
          "R1C1 ",   " R1C1",      "RC1x",    "CR",          "My Sheet!R1C1", "'Sheet1!R1C1",
          "''!R1C1", "'a:b'!R1C1", "Sheet1!", "!R1C1",       "==R1C1",        "R1C1!"})
        EXPECT_FALSE(parseR1C1Reference(text)) << text;
}

TEST(R1C1Reference, WritesWhatItReads) {
    struct Case {
        Area area;
        std::string_view text;
    };
    for (const Case& c : {Case{{2, 1, 2, 1}, "R3C2"}, Case{{2, 1, 4, 3}, "R3C2:R5C4"},
                          Case{{2, 0, 2, kLastCol}, "R3"}, Case{{2, 0, 4, kLastCol}, "R3:R5"},
                          Case{{0, 1, kLastRow, 1}, "C2"}, Case{{0, 1, kLastRow, 3}, "C2:C4"},
                          Case{{0, 0, kLastRow, kLastCol}, "R1:R65536"},
                          Case{{kLastRow, kLastCol, kLastRow, kLastCol}, "R65536C256"}}) {
        EXPECT_EQ(r1c1AreaText(c.area), c.text);
        EXPECT_EQ(areaOf(c.text), c.area) << c.text;
    }
    EXPECT_EQ(r1c1Text("Sheet1", {2, 1, 2, 1}), "=Sheet1!R3C2");
    EXPECT_EQ(r1c1Text("My Sheet", {0, 0, 1, 1}), "='My Sheet'!R1C1:R2C2");
    EXPECT_EQ(r1c1Text("R1C1", {0, 0, 0, 0}), "='R1C1'!R1C1");
    const auto back = parseR1C1Reference(r1c1Text("It's", {4, 2, 4, 2}));
    ASSERT_TRUE(back);
    EXPECT_EQ(back->sheet, "It's");
    EXPECT_EQ(back->area, (Area{4, 2, 4, 2}));
}

}  // namespace
}  // namespace xls::input
