#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "native/propset/value.h"

namespace xls::propset {

// Property types as the automation interface reports them.
inline constexpr std::int32_t kPropertyTypeNumber = 1;
inline constexpr std::int32_t kPropertyTypeDate = 3;
inline constexpr std::int32_t kPropertyTypeString = 4;

inline constexpr int kBuiltinPropertyCount = 30;

// One of the 30 built-in document properties. Dates stay FileTime (convert
// with fileTimeToLocalOleDate); numbers are doubles; the total editing time
// is a number of whole minutes.
struct BuiltinProperty {
    std::int32_t type = kPropertyTypeString;
    std::variant<std::string, double, FileTime> value;
};

using BuiltinProperties = std::array<std::optional<BuiltinProperty>, kBuiltinPropertyCount + 1>;

// Index 1..30 in the automation interface's numbering; index 0 is unused.
// A property absent from the file is nullopt; pass nullptr for a stream
// the file does not have. A stream that fails to parse (damaged, or
// encrypted along with the workbook) contributes nothing: document
// properties must never make a workbook unreadable.
BuiltinProperties readBuiltinProperties(
    const std::vector<std::uint8_t>* summaryInformation,
    const std::vector<std::uint8_t>* documentSummaryInformation);

// Type and English name of built-in property `index` (1..30); 0 and
// nullptr outside that range.
std::int32_t builtinPropertyType(int index);
const char* builtinPropertyName(int index);

}  // namespace xls::propset
