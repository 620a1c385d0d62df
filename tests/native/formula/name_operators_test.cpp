#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <random>
#include <span>
#include <utility>
#include <vector>

#include "native/formula/name_formula.h"
#include "token_builder.h"

namespace xls::formula {
namespace {

using test::Bytes;
using test::Tokens;
using test::unhex;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A workbook as name formulas see it. EXTERNSHEET follows namesdemo.xls:
// 0 spans the first three sheets, 1-3 and 5 are single sheets, 4 is the
// workbook itself with no sheet (what tNameX uses for its own names) and 6
// is another workbook.
struct Workbook {
    std::map<std::uint32_t, Bytes> names;  // by 1-based NAME record index

    static std::optional<std::pair<std::int32_t, std::int32_t>> sheets(std::uint16_t ixti) {
        switch (ixti) {
            case 0:
                return std::pair{0, 2};
            case 1:
                return std::pair{0, 0};
            case 2:
                return std::pair{2, 2};
            case 3:
                return std::pair{1, 1};
            case 5:
                return std::pair{3, 3};
            default:
                return std::nullopt;
        }
    }

    NameFormulaContext context() const {
        NameFormulaContext c;
        c.sheetRange = sheets;
        c.formulaOfName = [this](std::uint32_t index) -> std::span<const std::uint8_t> {
            auto found = names.find(index);
            if (found == names.end()) return {};
            return found->second;
        };
        c.ownWorkbook = [](std::uint16_t ixti) { return ixti <= 5; };
        return c;
    }

    std::vector<SheetArea> areas(const Bytes& rgce) const {
        return nameFormulaAreas(rgce, context());
    }
    std::vector<SheetArea> areasOfName(std::uint32_t index) const { return areas(names.at(index)); }
};

SheetArea onSheet3(Area a) {
    return SheetArea{2, 2, a};
}

TEST(NameOperators, RangeAndIntersectionOfReferences) {
    const Workbook book;
    // Sheet3!$A$1:Sheet3!$B$2 and the same with the corners swapped.
    EXPECT_THAT(book.areas(Tokens().ref3d(2, 0, 0).ref3d(2, 1, 1).range().bytes),
                ElementsAre(onSheet3(Area{0, 0, 1, 1})));
    EXPECT_THAT(book.areas(Tokens().ref3d(2, 1, 1).ref3d(2, 0, 0).range().bytes),
                ElementsAre(onSheet3(Area{0, 0, 1, 1})));
    // The range operator encloses every area of a union.
    EXPECT_THAT(book.areas(Tokens()
                               .ref3d(2, 0, 4)
                               .ref3d(2, 7, 0)
                               .unite()
                               .paren()
                               .area3d(2, 2, 3, 1, 2)
                               .range()
                               .bytes),
                ElementsAre(onSheet3(Area{0, 0, 7, 4})));

    // B2:D4 C3:F9 share C3:D4; B2:D4 meets F6 nowhere.
    const Tokens b2d4 = Tokens().area3d(2, 1, 3, 1, 3);
    EXPECT_THAT(book.areas(Tokens(b2d4).area3d(2, 2, 8, 2, 5).isect().bytes),
                ElementsAre(onSheet3(Area{2, 2, 3, 3})));
    EXPECT_THAT(book.areas(Tokens(b2d4).ref3d(2, 5, 5).isect().bytes), IsEmpty());
    // Touching at one corner is a one-cell overlap.
    EXPECT_THAT(book.areas(Tokens(b2d4).area3d(2, 3, 5, 3, 5).isect().bytes),
                ElementsAre(onSheet3(Area{3, 3, 3, 3})));
    // (A1:B2,D4:E5) with column B and E: the overlaps of each pair, in order,
    // leaving out the pairs that share nothing.
    const Bytes pairs = Tokens()
                            .area3d(2, 0, 1, 0, 1)
                            .area3d(2, 3, 4, 3, 4)
                            .unite()
                            .paren()
                            .area3d(2, 0, 0xFFFF, 1, 1)
                            .area3d(2, 0, 0xFFFF, 4, 4)
                            .unite()
                            .paren()
                            .isect()
                            .bytes;
    EXPECT_THAT(book.areas(pairs),
                ElementsAre(onSheet3(Area{0, 1, 1, 1}), onSheet3(Area{3, 4, 4, 4})));

    // The same three sheets on both sides is fine; different sheets are not,
    // though a union may mix them.
    EXPECT_THAT(book.areas(Tokens().ref3d(0, 0, 0).ref3d(0, 1, 1).range().bytes),
                ElementsAre(SheetArea{0, 2, Area{0, 0, 1, 1}}));
    EXPECT_THAT(book.areas(Tokens().ref3d(2, 0, 0).ref3d(1, 1, 1).range().bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().area3d(2, 0, 9, 0, 9).ref3d(1, 1, 1).isect().bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().ref3d(0, 0, 0).ref3d(2, 0, 0).range().bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().ref3d(2, 0, 0).ref3d(1, 1, 1).unite().bytes).size(), 2u);

    // An operator short of operands, or a deleted side.
    EXPECT_THAT(book.areas(Tokens().ref3d(2, 0, 0).isect().bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().range().bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().ref3d(2, 0, 0).u8(0x3C).u16(2).u16(0).u16(0).range().bytes),
                IsEmpty());
}

// NAME records of python-excel/xlrd tests/samples/namesdemo.xls (BSD-style),
// by their index in the file.
Workbook namesDemo() {
    Workbook book;
    book.names[12] = unhex("3a010000000000");                        // LocalRange, Sheet1
    book.names[13] = unhex("3a030001000100");                        // localRange, Sheet2
    book.names[14] = unhex("3a020002000200");                        // Localrange, Sheet3
    book.names[23] = unhex("3b02000300030001000d00");                // Profit
    book.names[24] = unhex("3b02000800090000000300");                // rectangle1
    book.names[25] = unhex("3b020009000a0002000500");                // rectangle2
    book.names[33] = unhex("3b0200010003000d000d00");                // Year_Tot
    book.names[6] = unhex("290d003904001700000023210000000f");       // BottomLine
    book.names[10] = unhex("290b00231800000023190000000f");          // Intersection
    book.names[11] = unhex("290f00231800000019400001231900000010");  // List
    book.names[31] = unhex("290b002318000000231900000011");          // Union
    book.names[3] = unhex(
        "291f003904000c000000194000013904000d00000010194000013904000e00000010");  // all_local_ranges
    return book;
}

TEST(NameOperators, NamesOfARealFileResolve) {
    const Workbook book = namesDemo();
    // Profit Year_Tot: row 4 and column N of Sheet3 cross at N4.
    EXPECT_THAT(book.areasOfName(6), ElementsAre(onSheet3(Area{3, 13, 3, 13})));
    // rectangle1 (A9:D10) rectangle2 (C10:F11).
    EXPECT_THAT(book.areasOfName(10), ElementsAre(onSheet3(Area{9, 2, 9, 3})));
    EXPECT_THAT(book.areasOfName(31), ElementsAre(onSheet3(Area{8, 0, 10, 5})));
    EXPECT_THAT(book.areasOfName(11),
                ElementsAre(onSheet3(Area{8, 0, 9, 3}), onSheet3(Area{9, 2, 10, 5})));
    // Sheet-level names of three sheets through tNameX.
    EXPECT_THAT(book.areasOfName(3),
                ElementsAre(SheetArea{0, 0, Area{0, 0, 0, 0}}, SheetArea{1, 1, Area{1, 1, 1, 1}},
                            SheetArea{2, 2, Area{2, 2, 2, 2}}));

    // Every cut of these formulas is incomplete.
    for (std::uint32_t index : {3u, 6u, 10u, 11u, 31u}) {
        const Bytes& full = book.names.at(index);
        for (std::size_t n = 0; n < full.size(); ++n)
            EXPECT_THAT(book.areas(Bytes(full.begin(), full.begin() + std::ptrdiff_t(n))),
                        IsEmpty())
                << index << " cut at " << n;
    }
}

TEST(NameOperators, NameTokensAndTheirLookup) {
    Workbook book;
    book.names[1] = Tokens().area3d(5, 0, 4, 0, 0).bytes;
    book.names[2] = unhex("1e2a00");                               // =42
    book.names[3] = Tokens().u8(0x3C).u16(5).u16(0).u16(0).bytes;  // =#REF!
    const std::vector<SheetArea> first = {SheetArea{3, 3, Area{0, 0, 4, 0}}};
    for (std::uint8_t id : {0x23, 0x43, 0x63})
        EXPECT_EQ(book.areas(Tokens().u8(id).u32(1).bytes), first) << int(id);
    for (std::uint8_t id : {0x39, 0x59, 0x79})
        EXPECT_EQ(book.areas(Tokens().u8(id).u16(4).u16(1).u16(0).bytes), first) << int(id);
    // A tNameX through a sheet of the workbook itself names the same record.
    EXPECT_EQ(book.areas(Tokens().nameX(2, 1).bytes), first);

    // A name of another workbook, a name that is no range, one whose cells
    // were deleted, index 0 and one past the list.
    EXPECT_THAT(book.areas(Tokens().nameX(6, 1).bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().name(2).bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().name(3).bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().name(1).name(2).unite().bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().name(0).bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().name(4).bytes), IsEmpty());
    EXPECT_THAT(book.areas(Tokens().name(0xFFFFFFFF).bytes), IsEmpty());

    // Without the callbacks nothing of their kind resolves.
    NameFormulaContext noNames = book.context();
    noNames.formulaOfName = nullptr;
    EXPECT_THAT(nameFormulaAreas(Tokens().name(1).bytes, noNames), IsEmpty());
    NameFormulaContext noOwnWorkbook = book.context();
    noOwnWorkbook.ownWorkbook = nullptr;
    EXPECT_THAT(nameFormulaAreas(Tokens().nameX(4, 1).bytes, noOwnWorkbook), IsEmpty());
    EXPECT_EQ(nameFormulaAreas(Tokens().name(1).bytes, noOwnWorkbook), first);
}

TEST(NameOperators, CyclesAndDeepChainsGiveNoRange) {
    Workbook book;
    book.names[1] = Tokens().name(1).bytes;
    book.names[2] = Tokens().name(3).bytes;
    book.names[3] = Tokens().memFunc(Tokens().ref3d(2, 0, 0).nameX(4, 2).unite()).bytes;
    book.names[4] = Tokens().ref3d(2, 0, 0).name(4).isect().bytes;
    for (std::uint32_t index : {1u, 2u, 3u, 4u})
        EXPECT_THAT(book.areasOfName(index), IsEmpty()) << index;

    // One name used many times over is no cycle.
    book.names[5] = Tokens().area3d(2, 0, 9, 0, 9).bytes;
    book.names[6] = Tokens().name(5).name(5).isect().name(5).range().bytes;
    book.names[7] = Tokens().name(6).name(5).unite().name(6).unite().bytes;
    EXPECT_EQ(book.areasOfName(7).size(), 3u);

    // A chain a few names long resolves; one thousands of names long stops
    // without exhausting the stack.
    Workbook chain;
    constexpr std::uint32_t kLong = 5000;
    for (std::uint32_t i = 1; i < kLong; ++i) chain.names[i] = Tokens().name(i + 1).bytes;
    chain.names[kLong] = Tokens().ref3d(2, 7, 7).bytes;
    EXPECT_THAT(chain.areasOfName(kLong - 8), ElementsAre(onSheet3(Area{7, 7, 7, 7})));
    EXPECT_THAT(chain.areasOfName(1), IsEmpty());
}

TEST(NameOperators, FormulasThatMultiplyAreasStop) {
    // Each name is its predecessor twenty times over: the third has 400
    // areas, the eighth would have over a billion.
    Workbook book;
    book.names[1] = Tokens().ref3d(2, 0, 0).bytes;
    for (std::uint32_t level = 2; level <= 8; ++level) {
        Tokens t = Tokens().name(level - 1);
        for (int i = 1; i < 20; ++i) t.name(level - 1).unite();
        book.names[level] = t.bytes;
    }
    EXPECT_EQ(book.areasOfName(3).size(), 400u);
    EXPECT_THAT(book.areasOfName(8), IsEmpty());

    // Intersecting two unions of 2000 single cells compares four million pairs.
    Tokens cells = Tokens().ref3d(2, 0, 0);
    for (std::uint16_t row = 1; row < 2000; ++row) cells.ref3d(2, row, 0).unite();
    book.names[9] = cells.bytes;
    EXPECT_EQ(book.areasOfName(9).size(), 2000u);
    EXPECT_THAT(book.areas(Tokens().name(9).name(9).isect().bytes), IsEmpty());
}

TEST(NameOperators, RandomFormulasOverRandomNamesAreHandled) {
    // Names whose formulas are random sequences of whole tokens, now and
    // then cut short or followed by a stray byte, referring to each other
    // at random, cycles included. Whatever comes out must be areas that exist.
    std::mt19937 rng(20240612);
    auto pick = [&](std::uint32_t n) { return static_cast<std::uint16_t>(rng() % n); };
    auto soup = [&] {
        Tokens t;
        const int length = 1 + pick(8);
        for (int i = 0; i < length; ++i) {
            switch (pick(9)) {
                case 0:
                    t.ref3d(pick(8), static_cast<std::uint16_t>(rng()), pick(0x140));
                    break;
                case 1:
                    t.area3d(pick(8), static_cast<std::uint16_t>(rng()),
                             static_cast<std::uint16_t>(rng()), static_cast<std::uint16_t>(rng()),
                             pick(0x100));
                    break;
                case 2:
                    t.name(pick(7));
                    break;
                case 3:
                    t.nameX(pick(8), pick(7));
                    break;
                case 4:
                    t.isect();
                    break;
                case 5:
                    t.unite();
                    break;
                case 6:
                    t.range();
                    break;
                case 7:
                    t.paren();
                    break;
                default:
                    t = Tokens().memFunc(t);
                    break;
            }
        }
        if (pick(10) == 0) t.bytes.resize(pick(static_cast<std::uint32_t>(t.bytes.size())));
        if (pick(10) == 0) t.u8(static_cast<std::uint8_t>(rng()));
        return t.bytes;
    };
    int ranges = 0;
    for (int round = 0; round < 5000; ++round) {
        Workbook book;
        for (std::uint32_t i = 1; i <= 5; ++i) book.names[i] = soup();
        for (const SheetArea& a : book.areas(soup())) {
            ++ranges;
            EXPECT_LE(0, a.firstSheet);
            EXPECT_LE(a.firstSheet, a.lastSheet);
            EXPECT_LE(a.lastSheet, 3);
            EXPECT_LE(a.area.firstRow, a.area.lastRow);
            EXPECT_LE(a.area.firstCol, a.area.lastCol);
            EXPECT_LE(a.area.lastRow, kLastRow);
            EXPECT_LE(a.area.lastCol, kLastCol);
        }
    }
    // The soup is rich enough to produce ranges at all.
    EXPECT_GT(ranges, 20);
}

}  // namespace
}  // namespace xls::formula
