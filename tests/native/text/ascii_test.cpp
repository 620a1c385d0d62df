#include "native/text/ascii.h"

#include <gtest/gtest.h>

namespace xls::text {
namespace {

TEST(Ascii, OnlyAsciiLettersHaveCase) {
    EXPECT_TRUE(equalsIgnoringAsciiCase("00_目次.XLS", "00_目次.xls"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("a.xls", "a.xlsx"));
    // Full-width letters are other characters to this program.
    EXPECT_FALSE(equalsIgnoringAsciiCase("ＡＢ", "ａｂ"));
    EXPECT_EQ(upperAscii("out.txt 目次"), "OUT.TXT 目次");
    EXPECT_EQ(lowerAscii("A.XLS 目次"), "a.xls 目次");
    // Sorted as upper case, bytes unsigned: '_' after the letters, UTF-8
    // after all of ASCII.
    EXPECT_TRUE(lessIgnoringAsciiCase("b.xls", "C.xls"));
    EXPECT_TRUE(lessIgnoringAsciiCase("Z.xls", "_.xls"));
    EXPECT_TRUE(lessIgnoringAsciiCase("~.xls", "目次.xls"));
    EXPECT_FALSE(lessIgnoringAsciiCase("A.xls", "a.xls"));
}

}  // namespace
}  // namespace xls::text
