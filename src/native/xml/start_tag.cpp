#include "native/xml/xml_parser.h"

namespace xls::xml {

std::optional<std::string_view> StartTag::attribute(std::string_view localName) const {
    return attribute({}, localName);
}

std::optional<std::string_view> StartTag::attribute(std::string_view nsName,
                                                    std::string_view localName) const {
    for (const auto& a : attributes)
        if (a.local == localName && a.ns == nsName) return a.value;
    return std::nullopt;
}

}  // namespace xls::xml
