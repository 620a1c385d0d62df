#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <random>
#include <vector>

#include "native/formula/name_formula.h"
#include "token_builder.h"

namespace xls::formula {
namespace {

using test::Bytes;
using test::Tokens;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

Bytes hex(std::initializer_list<std::uint8_t> b) {
    return Bytes(b);
}

const std::vector<std::string> kSheets = {"Sheet1", "My Sheet", "Sheet3", "目次"};

// EXTERNSHEET as a workbook with one external link would have it: 0-3 are
// the four sheets, 4 spans Sheet1 to Sheet3, 5 is another workbook.
std::optional<std::pair<std::int32_t, std::int32_t>> sheetsOf(std::uint16_t ixti) {
    if (ixti <= 3) return std::pair{std::int32_t{ixti}, std::int32_t{ixti}};
    if (ixti == 4) return std::pair{0, 2};
    return std::nullopt;
}
const SheetRangeOfXti kSheetRange = sheetsOf;

std::vector<SheetArea> areas(const Bytes& b) {
    return nameFormulaAreas(b, kSheetRange);
}
std::string text(const Bytes& b) {
    return nameFormulaText(b, kSheetRange, kSheets);
}

TEST(NameFormula, SingleReferenceInAnyTokenClass) {
    for (std::uint8_t id : {0x3A, 0x5A, 0x7A}) {
        const Bytes b = Tokens().u8(id).u16(0).u16(1).u16(1).bytes;
        EXPECT_THAT(areas(b), ElementsAre(SheetArea{0, 0, Area{1, 1, 1, 1}})) << int(id);
        EXPECT_EQ(text(b), "=Sheet1!$B$2");
    }
    for (std::uint8_t id : {0x3B, 0x5B, 0x7B}) {
        const Bytes b = Tokens().u8(id).u16(1).u16(0).u16(2).u16(0).u16(2).bytes;
        EXPECT_THAT(areas(b), ElementsAre(SheetArea{1, 1, Area{0, 0, 2, 2}})) << int(id);
        EXPECT_EQ(text(b), "='My Sheet'!$A$1:$C$3");
    }
}

TEST(NameFormula, SheetNamesAndSheetRangesInText) {
    EXPECT_EQ(text(Tokens().ref3d(3, 0, 0).bytes), "=目次!$A$1");
    const Bytes span = Tokens().ref3d(4, 0, 0).bytes;
    EXPECT_THAT(areas(span), ElementsAre(SheetArea{0, 2, Area{0, 0, 0, 0}}));
    EXPECT_EQ(text(span), "=Sheet1:Sheet3!$A$1");
    // A one-cell area reads as the cell.
    EXPECT_EQ(text(Tokens().area3d(0, 4, 4, 2, 2).bytes), "=Sheet1!$C$5");
}

TEST(NameFormula, WholeColumnsAndRows) {
    const Bytes cols = Tokens().area3d(0, 0, 0xFFFF, 0, 1).bytes;
    EXPECT_THAT(areas(cols), ElementsAre(SheetArea{0, 0, Area{0, 0, 65535, 1}}));
    EXPECT_EQ(text(cols), "=Sheet1!$A:$B");
    const Bytes rows = Tokens().area3d(0, 6, 7, 0, 0xFF).bytes;
    EXPECT_THAT(areas(rows), ElementsAre(SheetArea{0, 0, Area{6, 0, 7, 255}}));
    EXPECT_EQ(text(rows), "=Sheet1!$7:$8");
    EXPECT_EQ(text(Tokens().area3d(0, 0, 0xFFFF, 0, 0xFF).bytes), "=Sheet1!$A:$IV");
}

TEST(NameFormula, RelativePartsReadAsSeenFromA1) {
    // Row and column flags set: offsets +1/+1, then -1/-1 that wrap to the
    // last row and column of the grid.
    const Bytes rel = Tokens().ref3d(0, 1, 0xC001).bytes;
    EXPECT_THAT(areas(rel), ElementsAre(SheetArea{0, 0, Area{1, 1, 1, 1}}));
    EXPECT_EQ(text(rel), "=Sheet1!B2");
    const Bytes wrapped = Tokens().ref3d(0, 0xFFFF, 0xFFFF).bytes;
    EXPECT_THAT(areas(wrapped), ElementsAre(SheetArea{0, 0, Area{65535, 255, 65535, 255}}));
    EXPECT_EQ(text(wrapped), "=Sheet1!IV65536");
    // Mixed: $A1 (column absolute, row relative).
    EXPECT_EQ(text(Tokens().ref3d(0, 0, 0x8000).bytes), "=Sheet1!$A1");
    // Corners given the wrong way round come back ordered.
    EXPECT_THAT(areas(Tokens().area3d(0, 9, 2, 5, 1).bytes),
                ElementsAre(SheetArea{0, 0, Area{2, 1, 9, 5}}));
}

TEST(NameFormula, UnionsInsideMemoryTokens) {
    const Tokens inner = Tokens().ref3d(0, 0, 0).area3d(2, 3, 4, 3, 4).u8(0x10);
    const std::vector<SheetArea> expected = {SheetArea{0, 0, Area{0, 0, 0, 0}},
                                             SheetArea{2, 2, Area{3, 3, 4, 4}}};
    const Bytes memFunc = Tokens().memFunc(inner).bytes;
    EXPECT_EQ(areas(memFunc), expected);
    EXPECT_EQ(text(memFunc), "=Sheet1!$A$1,Sheet3!$D$4:$E$5");

    // tMemArea: 4 unused bytes, then cce; its cached rectangles would follow
    // the formula and are not part of rgce.
    Tokens memArea =
        Tokens().u8(0x66).u16(0).u16(0).u16(static_cast<std::uint16_t>(inner.bytes.size()));
    memArea.bytes.insert(memArea.bytes.end(), inner.bytes.begin(), inner.bytes.end());
    EXPECT_EQ(areas(memArea.bytes), expected);

    // A parenthesised union, and blanks recorded by tAttrSpace.
    const Bytes paren =
        Tokens().memFunc(Tokens(inner).u8(0x15)).u8(0x19).u8(0x40).u8(0x00).u8(0x01).bytes;
    EXPECT_EQ(areas(paren), expected);
    EXPECT_EQ(text(paren), "=(Sheet1!$A$1,Sheet3!$D$4:$E$5)");

    // Three parts chained without a wrapper.
    const Bytes chain =
        Tokens().ref3d(0, 0, 0).ref3d(0, 1, 1).u8(0x10).ref3d(0, 2, 2).u8(0x10).bytes;
    EXPECT_EQ(areas(chain).size(), 3u);
}

// NAME record formulas copied from workbooks in the test corpus.
TEST(NameFormula, PrintTitlesAndAreasFromRealFiles) {
    // apache/poi test-data/spreadsheet/styles-3563.xls (Apache-2.0),
    // Print_Titles: columns A:B and rows 7:8 of the first sheet.
    const Bytes titles =
        hex({0x29, 0x17, 0x00, 0x3b, 0x00, 0x00, 0x00, 0x00, 0xff, 0xff, 0x00, 0x00, 0x01,
             0x00, 0x3b, 0x00, 0x00, 0x06, 0x00, 0x07, 0x00, 0x00, 0x00, 0xff, 0x00, 0x10});
    EXPECT_THAT(areas(titles), ElementsAre(SheetArea{0, 0, Area{0, 0, 65535, 1}},
                                           SheetArea{0, 0, Area{6, 0, 7, 255}}));
    EXPECT_EQ(text(titles), "=Sheet1!$A:$B,Sheet1!$7:$8");

    // ExcelDataReader src/TestData/StringContinuationAfterCharacterData.xls
    // (MIT), a Japanese workbook's Print_Area of three blocks on one sheet.
    const Bytes printArea =
        hex({0x29, 0x23, 0x00, 0x3b, 0x1e, 0x00, 0x09, 0x00, 0x6a, 0x00, 0x03, 0x00, 0x1f,
             0x00, 0x3b, 0x1e, 0x00, 0x6c, 0x00, 0xcd, 0x00, 0x03, 0x00, 0x1f, 0x00, 0x10,
             0x3b, 0x1e, 0x00, 0xd1, 0x00, 0x32, 0x01, 0x03, 0x00, 0x1f, 0x00, 0x10});
    const auto sheet7 =
        [](std::uint16_t ixti) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        if (ixti == 0x1e) return std::pair{7, 7};
        return std::nullopt;
    };
    EXPECT_THAT(
        nameFormulaAreas(printArea, sheet7),
        ElementsAre(SheetArea{7, 7, Area{9, 3, 106, 31}}, SheetArea{7, 7, Area{108, 3, 205, 31}},
                    SheetArea{7, 7, Area{209, 3, 306, 31}}));
}

TEST(NameFormula, FormulasFromRealFilesThatAreNoRange) {
    // python-excel/xlrd tests/samples/namesdemo.xls (BSD-style): "Union" joins two other
    // names with the range operator; with no way to look names up it has no range.
    const Bytes unionOfNames =
        hex({0x29, 0x0b, 0x00, 0x23, 0x18, 0x00, 0x00, 0x00, 0x23, 0x19, 0x00, 0x00, 0x00, 0x11});
    EXPECT_THAT(areas(unionOfNames), IsEmpty());
    EXPECT_EQ(text(unionOfNames), "");

    // apache/poi test-data/spreadsheet/59858.xls (Apache-2.0): a dynamic range built with OFFSET.
    const Bytes offset =
        hex({0x29, 0x26, 0x00, 0x3a, 0x01, 0x00, 0x01, 0x00, 0x00, 0x00, 0x3b, 0x01, 0x00, 0x00,
             0x00, 0xff, 0xff, 0x00, 0x00, 0x00, 0x00, 0x3b, 0x01, 0x00, 0x00, 0x00, 0xff, 0xff,
             0x00, 0x00, 0x00, 0x00, 0x42, 0x01, 0xa9, 0x00, 0x22, 0x02, 0x1d, 0x00, 0x11});
    EXPECT_THAT(areas(offset), IsEmpty());
    EXPECT_EQ(text(offset), "");

    // apache/poi test-data/spreadsheet/50939.xls (Apache-2.0): hidden columns of a custom view,
    // where two of the four blocks were deleted (tAreaErr3d).
    const Bytes withDeleted =
        hex({0x29, 0x2f, 0x00, 0x3b, 0x06, 0x00, 0x00, 0x00, 0xff, 0xff, 0x15, 0x00, 0x27,
             0x00, 0x3d, 0x06, 0x00, 0x00, 0x00, 0xff, 0xff, 0x17, 0x00, 0x18, 0x00, 0x10,
             0x3b, 0x06, 0x00, 0x00, 0x00, 0xff, 0xff, 0x13, 0x00, 0x13, 0x00, 0x10, 0x3d,
             0x06, 0x00, 0x00, 0x00, 0xff, 0xff, 0x2e, 0x00, 0x38, 0x00, 0x10});
    const auto sixIsSheet0 =
        [](std::uint16_t) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        return std::pair{0, 0};
    };
    EXPECT_THAT(nameFormulaAreas(withDeleted, sixIsSheet0), IsEmpty());
}

TEST(NameFormula, ConstantsAreNoRangeButHaveText) {
    // namesdemo.xls: ASCII_String = "ascii", UnicodeString = "αβγδε".
    const Bytes ascii = hex({0x17, 0x05, 0x00, 0x61, 0x73, 0x63, 0x69, 0x69});
    EXPECT_THAT(areas(ascii), IsEmpty());
    EXPECT_EQ(text(ascii), "=\"ascii\"");
    const Bytes greek =
        hex({0x17, 0x05, 0x01, 0xb1, 0x03, 0xb2, 0x03, 0xb3, 0x03, 0xb4, 0x03, 0xb5, 0x03});
    EXPECT_EQ(text(greek), "=\"αβγδε\"");
    EXPECT_EQ(text(hex({0x17, 0x03, 0x00, 'a', '"', 'b'})), "=\"a\"\"b\"");

    EXPECT_EQ(text(hex({0x1E, 0x2A, 0x00})), "=42");
    EXPECT_EQ(text(hex({0x1E, 0x05, 0x00, 0x13})), "=-5");
    EXPECT_EQ(text(hex({0x1F, 0, 0, 0, 0, 0, 0, 0x29, 0x40})), "=12.5");
    EXPECT_EQ(text(hex({0x1D, 0x01})), "=TRUE");
    EXPECT_EQ(text(hex({0x1D, 0x00})), "=FALSE");
    EXPECT_EQ(text(hex({0x1C, 0x2A})), "=#N/A");
    // SheetJS/test_files A4X_gnumeric.xls (Apache-2.0): Print_Area stored as #REF!.
    const Bytes refError = hex({0x1C, 0x17});
    EXPECT_THAT(areas(refError), IsEmpty());
    EXPECT_EQ(text(refError), "=#REF!");
    EXPECT_THAT(areas(hex({0x1E, 0x01, 0x00})), IsEmpty());
}

TEST(NameFormula, DeletedAndExternalReferences) {
    const Bytes refErr = Tokens().u8(0x3C).u16(0).u16(0).u16(0).bytes;
    EXPECT_THAT(areas(refErr), IsEmpty());
    EXPECT_EQ(text(refErr), "=Sheet1!#REF!");
    const Bytes areaErr = Tokens().u8(0x7D).u16(5).u16(0).u16(0).u16(0).u16(0).bytes;
    EXPECT_THAT(areas(areaErr), IsEmpty());
    EXPECT_EQ(text(areaErr), "=#REF!");

    const Bytes external = Tokens().ref3d(5, 0, 0).bytes;
    EXPECT_THAT(areas(external), IsEmpty());
    EXPECT_EQ(text(external), "");
    // One external part spoils a union.
    EXPECT_THAT(areas(Tokens().ref3d(0, 0, 0).ref3d(5, 0, 0).u8(0x10).bytes), IsEmpty());
    // Without a callback nothing can be resolved.
    EXPECT_THAT(nameFormulaAreas(Tokens().ref3d(0, 0, 0).bytes, SheetRangeOfXti{}), IsEmpty());
    // A callback answer that is no sheet range, or a sheet the list lacks.
    const auto reversed =
        [](std::uint16_t) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        return std::pair{2, 1};
    };
    EXPECT_THAT(nameFormulaAreas(Tokens().ref3d(0, 0, 0).bytes, reversed), IsEmpty());
    EXPECT_EQ(nameFormulaText(Tokens().ref3d(0, 0, 0).bytes, kSheetRange, {}), "");
}

TEST(NameFormula, OtherFormulasAreNoRange) {
    const std::vector<Bytes> formulas = {
        {},
        hex({0x24, 0x00, 0x00, 0x00, 0x00}),                          // tRef A1, no sheet
        hex({0x25, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00}),  // tArea, no sheet
        Tokens().ref3d(0, 0, 0).ref3d(0, 1, 1).bytes,                 // two operands
        Tokens().ref3d(0, 0, 0).u8(0x10).bytes,                       // union of one
        Tokens().ref3d(0, 0, 0).ref3d(0, 1, 1).u8(0x03).bytes,        // A1+B2
        Tokens().ref3d(0, 0, 0).u8(0x13).bytes,                       // -A1
        Tokens().ref3d(0, 0, 0).u8(0x1E).u16(1).u8(0x10).bytes,       // A1,1
        Tokens().u8(0x15).bytes,                                      // lone paren
        Tokens().ref3d(0, 0, 0).u8(0x19).u8(0x02).u16(4).bytes,       // tAttrIf
        Tokens().u8(0x27).u8(0x17).u8(0).u16(0).u16(0).bytes,         // tMemErr
    };
    for (const Bytes& b : formulas) {
        EXPECT_THAT(areas(b), IsEmpty());
        EXPECT_EQ(text(b), "");
    }
}

TEST(NameFormula, HostileBytesGiveNoRange) {
    // Every cut of a good formula is incomplete; none may read past the end.
    const Bytes good =
        Tokens().memFunc(Tokens().ref3d(0, 0, 0).area3d(1, 0, 1, 0, 1).u8(0x10)).bytes;
    for (std::size_t n = 0; n < good.size(); ++n) {
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_THAT(areas(cut), IsEmpty()) << n;
        EXPECT_EQ(text(cut), "") << n;
    }
    // Unknown and impossible token ids.
    for (std::uint8_t id : {0x00, 0x01, 0x20, 0x2F, 0x80, 0x9A, 0xBB, 0xFF})
        EXPECT_THAT(areas(Tokens().u8(id).u16(0).u16(0).u16(0).bytes), IsEmpty()) << int(id);
    // An absolute column beyond IV.
    EXPECT_THAT(areas(Tokens().ref3d(0, 0, 0x0100).bytes), IsEmpty());
    // tMemFunc claiming more bytes than there are.
    EXPECT_THAT(areas(Tokens().u8(0x29).u16(0xFFFF).ref3d(0, 0, 0).bytes), IsEmpty());
    // Nesting deep enough to exhaust a stack if followed blindly.
    Tokens nested = Tokens().ref3d(0, 0, 0);
    for (int i = 0; i < 5000; ++i) nested = Tokens().memFunc(nested);
    EXPECT_THAT(areas(nested.bytes), IsEmpty());
    // A string longer than the bytes left.
    EXPECT_EQ(text(hex({0x17, 0x09, 0x01, 'a', 0})), "");
}

TEST(NameFormula, RandomTokenSoupIsHandled) {
    // Bytes drawn mostly from the token ids the decoder knows. Whatever
    // comes out must be self-consistent: a range always has a text.
    std::mt19937 rng(20240611);
    const std::uint8_t ids[] = {0x3A, 0x3B, 0x3C, 0x3D, 0x10, 0x15, 0x29, 0x26,
                                0x17, 0x1E, 0x19, 0x13, 0x00, 0x01, 0xFF};
    for (int round = 0; round < 20000; ++round) {
        Bytes b;
        const int length = static_cast<int>(rng() % 40);
        for (int i = 0; i < length; ++i)
            b.push_back(rng() % 3 == 0 ? ids[rng() % std::size(ids)]
                                       : static_cast<std::uint8_t>(rng() % 4));
        const std::vector<SheetArea> found = areas(b);
        if (!found.empty()) {
            EXPECT_EQ(text(b).rfind('=', 0), 0u) << round;
        }
        for (const SheetArea& a : found) {
            EXPECT_LE(a.area.firstRow, a.area.lastRow);
            EXPECT_LE(a.area.firstCol, a.area.lastCol);
            EXPECT_LE(a.area.lastCol, kLastCol);
        }
    }
}

}  // namespace
}  // namespace xls::formula
