#include "native/format/number_format.h"

#include "native/format/builtin_formats.h"

namespace xls::format {

ValueKind classifyFormat(std::uint16_t formatId, const std::string* codeFromFile) {
    if (codeFromFile != nullptr) return classifyFormatCode(*codeFromFile);
    return classifyFormatCode(builtinFormatCode(formatId));
}

}  // namespace xls::format
