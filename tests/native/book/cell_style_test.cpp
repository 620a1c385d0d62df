#include <gtest/gtest.h>

#include "native/biff/biff_error.h"
#include "native/biff/globals.h"
#include "native/book/book_error.h"
#include "native/book/book_test_util.h"
#include "native/book/cell_style.h"

namespace xls::book {
namespace {

// Every XF of every readable corpus file parses and writes back to the same
// 20 bytes: the model keeps reserved bits and all.
TEST(CellStyle, EveryCorpusXfRoundTripsBitExactly) {
    std::size_t checked = 0;
    for (const auto& file : testing::corpusFiles()) {
        std::vector<std::uint8_t> stream;
        biff::Globals g;
        try {
            stream = testing::workbookStreamOf(file);
            g = biff::parseGlobals(stream);
        } catch (const std::exception&) {
            continue;  // encrypted, BIFF5, damaged: not this test's concern
        }
        for (const auto& r : g.records) {
            if (r.id != 0x00E0 || r.size < kXfSize) continue;
            std::span<const std::uint8_t> body(stream.data() + r.offset + 4, kXfSize);
            const auto written = writeXf(parseXf(body));
            ASSERT_TRUE(std::equal(written.begin(), written.end(), body.begin()))
                << file << " XF at offset " << r.offset;
            ++checked;
        }
    }
    EXPECT_GT(checked, 2000u);
}

TEST(CellStyle, FieldsLandInTheirBits) {
    CellStyle s = defaultCellStyle();
    s.font = 5;
    s.numberFormat = 164;
    s.horizontal = 2;
    s.vertical = 1;
    s.wrap = true;
    s.rotation = 255;
    s.indent = 3;
    s.left = {1, 8};
    s.bottom = {6, 10};
    s.diagonalUp = true;
    s.diagonal = {2, 12};
    s.fillPattern = 1;
    s.patternColor = 13;
    s.borderUsed = true;
    const auto b = writeXf(s);
    EXPECT_EQ(b[0], 5);
    EXPECT_EQ(b[2], 164);
    EXPECT_EQ(b[6], 0x2 | 0x8 | 0x10);
    EXPECT_EQ(b[7], 255);
    EXPECT_EQ(b[8], 3);
    EXPECT_EQ(b[9], 0x20);
    EXPECT_EQ(b[10] & 0x0F, 1);         // left line
    EXPECT_EQ((b[11] >> 4) & 0x0F, 6);  // bottom line
    EXPECT_EQ(b[13] & 0x80, 0x80);      // diagonal up
    EXPECT_EQ(parseXf(b), s);
    EXPECT_THROW(parseXf(std::span<const std::uint8_t>(b.data(), 19)), BookError);
}

}  // namespace
}  // namespace xls::book
