#include <gtest/gtest.h>

#include <cstdint>

#include "native/format/builtin_formats.h"
#include "native/format/number_format.h"

namespace xls::format {
namespace {

// What a cell formatted with each built-in id hands out, on a Japanese
// system with no FORMAT record overriding the id.
TEST(BuiltinFormats, EveryJapaneseIdClassifiesAsTheApplicationPresentsIt) {
    for (std::uint16_t id = 0; id <= 58; ++id) {
        ValueKind expected = ValueKind::Number;
        if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
            (id >= 50 && id <= 58))
            expected = ValueKind::Date;
        if ((id >= 5 && id <= 8) || (id >= 23 && id <= 26) || id == 42 || id == 44)
            expected = ValueKind::Currency;
        EXPECT_EQ(classifyFormat(id, nullptr), expected)
            << "id " << id << ": " << builtinFormatCode(id);
    }
}

TEST(BuiltinFormats, JapaneseCodesDifferFromTheUsOnes) {
    EXPECT_EQ(builtinFormatCode(14), "yyyy/m/d");
    EXPECT_EQ(builtinFormatCode(22), "yyyy/m/d h:mm");
    EXPECT_EQ(builtinFormatCode(28), "[$-411]ggge\"年\"m\"月\"d\"日\"");
    EXPECT_EQ(builtinFormatCode(31), "yyyy\"年\"m\"月\"d\"日\"");
    EXPECT_EQ(builtinFormatCode(5), "\"¥\"#,##0;\"¥\"\\-#,##0");
    EXPECT_EQ(builtinFormatCode(13), "# ?\?/??");
    EXPECT_EQ(builtinFormatCode(46), "[h]:mm:ss");
    EXPECT_EQ(builtinFormatCode(49), "@");
}

TEST(BuiltinFormats, UndefinedIdsAreGeneral) {
    for (std::uint16_t id : {59, 63, 81, 163, 164, 200, 0xFFFF}) {
        EXPECT_EQ(builtinFormatCode(id), "General") << id;
        EXPECT_EQ(classifyFormat(id, nullptr), ValueKind::Number) << id;
    }
}

}  // namespace
}  // namespace xls::format
