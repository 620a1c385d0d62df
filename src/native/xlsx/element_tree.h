#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xls::xlsx {

class TreeStorage;

// A small part read whole into a tree: the workbook, its relationships,
// styles and document properties. Namespaces are kept only for what tells
// parts apart; elements are looked up by local name. Names and attributes
// are views into storage the tree's root holds (mostly the part's own
// bytes, parsed where they lie): they live as long as the root.
struct Element {
    struct Attribute {
        std::string_view local;
        std::string_view value;
        bool namespaced = false;
    };

    std::string_view local;
    std::span<const Attribute> attributes;
    std::string text;  // the element's own character data, joined
    std::vector<Element> children;
    std::shared_ptr<const TreeStorage> storage;  // the root's only

    // By local name; one of a namespace (r:id) with a "/" in front, so
    // that it never meets one without.
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
//
// The bytes are parsed where they lie, rewritten, and kept by the tree;
// reread gives them again as they were, for a parse that must look at them
// so (see xml::Parser).
Element readElementTree(std::vector<std::uint8_t> bytes,
                        const std::function<std::vector<std::uint8_t>()>& reread,
                        std::string_view part, std::string_view lastNeeded = {});

// Whether a flag attribute is on: "1" or "true".
bool isTrue(std::optional<std::string_view> value);

}  // namespace xls::xlsx
