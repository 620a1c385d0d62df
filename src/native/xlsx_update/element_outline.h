#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace xls::xlsx_update {

// Where one element lies in a part's text, so that a part can be changed
// element by element and everything else kept byte for byte.
struct ElementSpan {
    std::string_view name;  // as written, prefix and all
    std::size_t begin = 0;  // at its '<'
    std::size_t end = 0;    // past its last '>'
    // Past the start tag and at the end tag; both equal end for an empty
    // element written as one tag.
    std::size_t contentBegin = 0;
    std::size_t contentEnd = 0;

    std::string_view local() const;
    bool prefixed() const { return local().size() != name.size(); }
    std::string_view startTag(std::string_view xml) const;
};

// The children of the element that spans parent, or of the root when
// parent is none (the root itself then comes back in root). The text must
// be well-formed XML, as the parser found it; throws xlsx::XlsxError when it
// is not what the outline can follow.
std::vector<ElementSpan> childElements(std::string_view xml, const ElementSpan& parent);
ElementSpan rootElement(std::string_view xml);

// The value of an attribute of a start tag, entities left as written.
std::optional<std::string_view> attributeOf(std::string_view startTag, std::string_view name);
// The start tag with the attribute set (added before its end when missing).
std::string withAttribute(std::string_view startTag, std::string_view name, std::string_view value);

// The whole text with the parent element rewritten: each child named in replaced (by local name)
// is dropped and the replacement, when not empty, put where the schema's
// order of children (order) places it; other children stay as they are.
std::string replaceChildren(std::string_view xml, const ElementSpan& parent,
                            std::span<const std::string_view> order,
                            const std::map<std::string, std::string>& replaced);

}  // namespace xls::xlsx_update
