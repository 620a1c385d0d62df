#include "json_writer.h"

#include "native/text/hex.h"

namespace mokuji::inspect {

std::string jsonString(std::string_view text) {
    std::string out = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    out += "\\u" + xls::text::hexDigits(c, 4, xls::text::HexCase::Lower);
                } else {
                    out += ch;
                }
        }
    }
    return out + "\"";
}

}  // namespace mokuji::inspect
