#include "native/format/builtin_formats.h"

#include <array>

namespace xls::format {

namespace {

// Indexed by format id; ids past the end are undefined in ja-JP. The yen sign is written as U+00A5;
// Japanese files that spell the same formats out in FORMAT records use a quoted backslash instead,
// which the classifier reads as the same sign.
constexpr std::array<std::string_view, 59> kJapaneseBuiltins = {
    "General",                              // 0
    "0",                                    // 1
    "0.00",                                 // 2
    "#,##0",                                // 3
    "#,##0.00",                             // 4
    "\"¥\"#,##0;\"¥\"\\-#,##0",             // 5
    "\"¥\"#,##0;[Red]\"¥\"\\-#,##0",        // 6
    "\"¥\"#,##0.00;\"¥\"\\-#,##0.00",       // 7
    "\"¥\"#,##0.00;[Red]\"¥\"\\-#,##0.00",  // 8
    "0%",                                   // 9
    "0.00%",                                // 10
    "0.00E+00",                             // 11
    "# ?/?",                                // 12
    "# ?\?/??",                             // 13
    "yyyy/m/d",                             // 14
    "d-mmm-yy",                             // 15
    "d-mmm",                                // 16
    "mmm-yy",                               // 17
    "h:mm AM/PM",                           // 18
    "h:mm:ss AM/PM",                        // 19
    "h:mm",                                 // 20
    "h:mm:ss",                              // 21
    "yyyy/m/d h:mm",                        // 22
    // 23-26 are not offered in the dialog, but Japanese files carry them.
    "\\$#,##0_);\\(\\$#,##0\\)",                                            // 23
    "\\$#,##0_);[Red]\\(\\$#,##0\\)",                                       // 24
    "\\$#,##0.00_);\\(\\$#,##0.00\\)",                                      // 25
    "\\$#,##0.00_);[Red]\\(\\$#,##0.00\\)",                                 // 26
    "[$-411]ge.m.d",                                                        // 27
    "[$-411]ggge\"年\"m\"月\"d\"日\"",                                      // 28
    "[$-411]ggge\"年\"m\"月\"d\"日\"",                                      // 29
    "m/d/yy",                                                               // 30
    "yyyy\"年\"m\"月\"d\"日\"",                                             // 31
    "h\"時\"mm\"分\"",                                                      // 32
    "h\"時\"mm\"分\"ss\"秒\"",                                              // 33
    "yyyy\"年\"m\"月\"",                                                    // 34
    "m\"月\"d\"日\"",                                                       // 35
    "[$-411]ge.m.d",                                                        // 36
    "#,##0_);(#,##0)",                                                      // 37
    "#,##0_);[Red](#,##0)",                                                 // 38
    "#,##0.00_);(#,##0.00)",                                                // 39
    "#,##0.00_);[Red](#,##0.00)",                                           // 40
    "_ * #,##0_ ;_ * \\-#,##0_ ;_ * \"-\"_ ;_ @_ ",                         // 41
    "_ \"¥\"* #,##0_ ;_ \"¥\"* \\-#,##0_ ;_ \"¥\"* \"-\"_ ;_ @_ ",          // 42
    "_ * #,##0.00_ ;_ * \\-#,##0.00_ ;_ * \"-\"??_ ;_ @_ ",                 // 43
    "_ \"¥\"* #,##0.00_ ;_ \"¥\"* \\-#,##0.00_ ;_ \"¥\"* \"-\"??_ ;_ @_ ",  // 44
    "mm:ss",                                                                // 45
    "[h]:mm:ss",                                                            // 46
    "mm:ss.0",                                                              // 47
    "##0.0E+0",                                                             // 48
    "@",                                                                    // 49
    "[$-411]ge.m.d",                                                        // 50
    "[$-411]ggge\"年\"m\"月\"d\"日\"",                                      // 51
    "yyyy\"年\"m\"月\"",                                                    // 52
    "m\"月\"d\"日\"",                                                       // 53
    "[$-411]ggge\"年\"m\"月\"d\"日\"",                                      // 54
    "yyyy\"年\"m\"月\"",                                                    // 55
    "m\"月\"d\"日\"",                                                       // 56
    "[$-411]ge.m.d",                                                        // 57
    "[$-411]ggge\"年\"m\"月\"d\"日\"",                                      // 58
};

}  // namespace

std::string_view builtinFormatCode(std::uint16_t id) {
    if (id < kJapaneseBuiltins.size()) return kJapaneseBuiltins[id];
    return kJapaneseBuiltins[0];
}

}  // namespace xls::format
