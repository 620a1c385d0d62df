// File names as a person sees them: Shift_JIS names decoded, bytes that are
// no text escaped, and terminal commands hidden in names made harmless.

#include "os/name_text.h"

#include <gtest/gtest.h>

namespace mokuji::platform {
namespace {

// "アンケート" and half-width "ｱ" in Shift_JIS.
const std::string kSjis = "\x83\x41\x83\x93\x83\x50\x81\x5B\x83\x67";
const std::string kHalfWidth = "\xB1";

TEST(NameText, NamesShowAsText) {
    struct Case {
        std::string name, shown;
    };
    for (const Case& c : {
             Case{"回答.xls", "回答.xls"},
             Case{kSjis + ".xls", "アンケート.xls"},
             Case{kHalfWidth + ".xls", "ｱ.xls"},
             // Neither UTF-8 nor Shift_JIS: the bytes, escaped.
             Case{"a\xFF\xFE.xls", "a\\xFF\\xFE.xls"},
         }) {
        EXPECT_EQ(ShownName(c.name), c.shown) << c.shown;
    }
}

TEST(NameText, TheTerminalGetsNoCommands) {
    struct Case {
        std::string text, shown;
    };
    for (const Case& c : {
             Case{"一覧\n\t済み", "一覧\n\t済み"},
             Case{"x\x1B[2J.xls", "x\\x1B[2J.xls"},
             Case{"c\x1B]52;c;aGk=\x07.xls", "c\\x1B]52;c;aGk=\\x07.xls"},
             Case{"a\rb\x7F", "a\\x0Db\\x7F"},
             Case{"csi\xC2\x9B"
                  "2J",
                  "csi\\u009B2J"},
             Case{"[" + kSjis + ".xls]", "[アンケート.xls]"},
             Case{"\xFF\x83", "\\xFF\\x83"},
         }) {
        EXPECT_EQ(TerminalText(c.text), c.shown);
    }
}

}  // namespace
}  // namespace mokuji::platform
