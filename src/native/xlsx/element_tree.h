#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace xls::xlsx {

// A small part read whole into a tree: the workbook, its relationships,
// styles and document properties. Namespaces are kept only for what tells
// parts apart; elements are looked up by local name.
struct Element {
    std::string local;
    // By local name; those of a namespace (r:id) with a "/" in front, so
    // that they never meet one without.
    std::vector<std::pair<std::string, std::string>> attributes;
    std::string text;  // the element's own character data, joined
    std::vector<Element> children;

    std::optional<std::string_view> attribute(std::string_view name) const;
    // The first attribute of that local name, whatever its namespace.
    std::optional<std::string_view> anyAttribute(std::string_view local) const;
    const Element* child(std::string_view local) const;
    std::vector<const Element*> childrenNamed(std::string_view local) const;
};

// Throws XlsxError naming `part` when the bytes are not well-formed XML or
// hold more elements than any such part needs. With lastNeeded, the
// reading ends once a child of the root of that name has ended: what
// follows it is not needed (and not checked).
Element readElementTree(std::span<const std::uint8_t> bytes, std::string_view part,
                        std::string_view lastNeeded = {});

// Whether a flag attribute is on: "1" or "true".
bool isTrue(std::optional<std::string_view> value);

}  // namespace xls::xlsx
