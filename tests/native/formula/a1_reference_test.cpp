#include <gtest/gtest.h>

#include <string_view>

#include "native/formula/a1_reference.h"

namespace xls::formula {
namespace {

struct Case {
    std::string_view text;
    std::optional<std::string> sheet;
    Area area;
};

TEST(ParseA1Reference, CellsAreasColumnsAndRows) {
    const Case cases[] = {
        {"A1", std::nullopt, {0, 0, 0, 0}},
        {"$A$1", std::nullopt, {0, 0, 0, 0}},
        {"b$2", std::nullopt, {1, 1, 1, 1}},
        {"$C3", std::nullopt, {2, 2, 2, 2}},
        {"iv65536", std::nullopt, {65535, 255, 65535, 255}},
        {"A1:B2", std::nullopt, {0, 0, 1, 1}},
        {"$A$1:$B$2", std::nullopt, {0, 0, 1, 1}},
        {"B2:A1", std::nullopt, {0, 0, 1, 1}},  // corners in any order
        {"C1:A3", std::nullopt, {0, 0, 2, 2}},
        {"A:B", std::nullopt, {0, 0, 65535, 1}},
        {"$D:$D", std::nullopt, {0, 3, 65535, 3}},
        {"1:3", std::nullopt, {0, 0, 2, 255}},
        {"$5:$5", std::nullopt, {4, 0, 4, 255}},
        {"R1", std::nullopt, {0, 17, 0, 17}},  // column R, not R1C1
        {"Sheet1!A1", "Sheet1", {0, 0, 0, 0}},
        {"目次!$C$5", "目次", {4, 2, 4, 2}},
        {"'My Sheet'!$A$1:$C$3", "My Sheet", {0, 0, 2, 2}},
        {"'It''s'!A1", "It's", {0, 0, 0, 0}},
        {"'2024'!A:A", "2024", {0, 0, 65535, 0}},
        {"'A1'!B2", "A1", {1, 1, 1, 1}},
        {"'Sheet1'!A1", "Sheet1", {0, 0, 0, 0}},  // needless quotes are fine
    };
    for (const Case& c : cases) {
        const std::optional<ParsedReference> parsed = parseA1Reference(c.text);
        ASSERT_TRUE(parsed.has_value()) << c.text;
        EXPECT_EQ(parsed->sheet, c.sheet) << c.text;
        EXPECT_EQ(parsed->area, c.area) << c.text;
    }
}

TEST(ParseA1Reference, EverythingElseIsNoReference) {
    constexpr std::string_view texts[] = {
        "",
        "担当者",
        "P_ファイル名",
        "A1B",
        "AB",
        "A",
        "1",
        "IW1",
        "A0",
        "A65537",
        "A01",
        "AAA1",
        "A1:B",
        "A:1",
        "1:B",
        "A1:B2:C3",
        "A1:",
        ":A1",
        "$",
        "$$1",
        "A$",
        "$A$",
        "A 1",
        " A1",
        "A1 ",
        "R1C1",
        "RC",
        "R[1]C[1]",
        "=A1",
        "A1,B2",
        "Sheet1!",
        "!A1",
        "My Sheet!A1",
        "'My Sheet!A1",
        "'My Sheet'A1",
        "''!A1",
        "'a:b'!A1",
        "'a[1]'!A1",
        "Sheet1:Sheet3!A1",
        "[Book1]Sheet1!A1",
        "Sheet1!Sheet2!A1",
        "A1!B2",
        "A99999999999999999999",
        "名前!担当者",
    };
    for (std::string_view text : texts) EXPECT_EQ(parseA1Reference(text), std::nullopt) << text;
}

}  // namespace
}  // namespace xls::formula
