#include "native/xlsx_update/element_outline.h"

#include <algorithm>

#include "native/xlsx/xlsx_error.h"

namespace xls::xlsx_update {

namespace {

using xlsx::XlsxError;

[[noreturn]] void unreadable(const char* what) {
    throw XlsxError(std::string("a part cannot be followed element by element: ") + what);
}

bool nameChar(char c) {
    return c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '>' && c != '/' && c != '=';
}

// Past the markup that starts at `at` and is no element: a comment, a
// processing instruction, a CDATA section.
std::size_t skipOther(std::string_view xml, std::size_t at) {
    auto past = [&](std::string_view close) {
        const std::size_t found = xml.find(close, at);
        if (found == std::string_view::npos) unreadable("unterminated markup");
        return found + close.size();
    };
    if (xml.compare(at, 4, "<!--") == 0) return past("-->");
    if (xml.compare(at, 9, "<![CDATA[") == 0) return past("]]>");
    if (xml.compare(at, 2, "<?") == 0) return past("?>");
    unreadable("a declaration");
}

// The end of the tag that starts at `at`: past its '>', quotes honoured.
std::size_t tagEnd(std::string_view xml, std::size_t at, bool& empty) {
    char quote = 0;
    for (std::size_t i = at + 1; i < xml.size(); ++i) {
        const char c = xml[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            empty = xml[i - 1] == '/';
            return i + 1;
        }
    }
    unreadable("an unterminated tag");
}

std::string_view tagName(std::string_view xml, std::size_t at) {
    std::size_t i = at;
    while (i < xml.size() && nameChar(xml[i])) ++i;
    return xml.substr(at, i - at);
}

// The element starting at `at`, whole.
ElementSpan elementAt(std::string_view xml, std::size_t at) {
    ElementSpan span;
    span.begin = at;
    span.name = tagName(xml, at + 1);
    if (span.name.empty()) unreadable("a tag without a name");
    bool empty = false;
    span.contentBegin = tagEnd(xml, at, empty);
    if (empty) {
        span.end = span.contentEnd = span.contentBegin;
        return span;
    }
    std::size_t depth = 1;
    std::size_t i = span.contentBegin;
    while (true) {
        i = xml.find('<', i);
        if (i == std::string_view::npos) unreadable("an element that does not end");
        if (xml.compare(i, 2, "</") == 0) {
            const std::size_t start = i;
            bool ignored = false;
            i = tagEnd(xml, i, ignored);
            if (--depth == 0) {
                span.contentEnd = start;
                span.end = i;
                return span;
            }
        } else if (xml.compare(i, 2, "<!") == 0 || xml.compare(i, 2, "<?") == 0) {
            i = skipOther(xml, i);
        } else {
            bool childEmpty = false;
            i = tagEnd(xml, i, childEmpty);
            if (!childEmpty) ++depth;
        }
    }
}

}  // namespace

std::string_view ElementSpan::local() const {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view ElementSpan::startTag(std::string_view xml) const {
    return xml.substr(begin, contentBegin - begin);
}

ElementSpan rootElement(std::string_view xml) {
    std::size_t i = 0;
    while (true) {
        i = xml.find('<', i);
        if (i == std::string_view::npos) unreadable("no root element");
        if (xml.compare(i, 2, "<?") == 0 || xml.compare(i, 2, "<!") == 0) {
            i = skipOther(xml, i);
            continue;
        }
        return elementAt(xml, i);
    }
}

std::vector<ElementSpan> childElements(std::string_view xml, const ElementSpan& parent) {
    std::vector<ElementSpan> children;
    std::size_t i = parent.contentBegin;
    while (i < parent.contentEnd) {
        i = xml.find('<', i);
        if (i == std::string_view::npos || i >= parent.contentEnd) break;
        if (xml.compare(i, 2, "<!") == 0 || xml.compare(i, 2, "<?") == 0) {
            i = skipOther(xml, i);
            continue;
        }
        children.push_back(elementAt(xml, i));
        i = children.back().end;
    }
    return children;
}

std::optional<std::string_view> attributeOf(std::string_view startTag, std::string_view name) {
    std::size_t i = startTag.find_first_of(" \t\r\n");
    while (i != std::string_view::npos && i < startTag.size()) {
        i = startTag.find_first_not_of(" \t\r\n", i);
        if (i == std::string_view::npos) break;
        const std::size_t eq = startTag.find('=', i);
        if (eq == std::string_view::npos) break;
        std::string_view key = startTag.substr(i, eq - i);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        std::size_t q = startTag.find_first_of("\"'", eq);
        if (q == std::string_view::npos) break;
        const std::size_t close = startTag.find(startTag[q], q + 1);
        if (close == std::string_view::npos) break;
        if (key == name) return startTag.substr(q + 1, close - q - 1);
        i = close + 1;
    }
    return std::nullopt;
}

std::string withAttribute(std::string_view startTag, std::string_view name,
                          std::string_view value) {
    const std::string assignment = std::string(name) + "=\"" + std::string(value) + "\"";
    if (auto old = attributeOf(startTag, name)) {
        // From the name before the value to the quote after it.
        const std::size_t valueAt = static_cast<std::size_t>(old->data() - startTag.data());
        const std::size_t nameAt = startTag.rfind(name, valueAt);
        return std::string(startTag.substr(0, nameAt)) + assignment +
               std::string(startTag.substr(valueAt + old->size() + 1));
    }
    const std::size_t close = startTag.size() - (startTag.ends_with("/>") ? 2 : 1);
    return std::string(startTag.substr(0, close)) + " " + assignment +
           std::string(startTag.substr(close));
}

std::string replaceChildren(std::string_view xml, const ElementSpan& parent,
                            std::span<const std::string_view> order,
                            const std::map<std::string, std::string>& replaced) {
    const auto rank = [&](std::string_view local) -> std::optional<std::size_t> {
        auto found = std::find(order.begin(), order.end(), local);
        if (found == order.end()) return std::nullopt;
        return static_cast<std::size_t>(found - order.begin());
    };
    if (parent.contentBegin == parent.end) unreadable("an element written as one tag");
    const std::vector<ElementSpan> children = childElements(xml, parent);
    std::string out(xml.substr(0, parent.contentBegin));
    std::size_t copied = parent.contentBegin;
    // Each replacement goes before the first child that the order puts
    // after it; the rest go at the end.
    std::map<std::size_t, std::string> pending;  // by rank
    for (const auto& [local, text] : replaced)
        if (!text.empty()) pending[rank(local).value_or(order.size())] += text;
    for (const ElementSpan& child : children) {
        const auto childRank = rank(child.local());
        if (childRank) {
            for (auto it = pending.begin(); it != pending.end() && it->first < *childRank;) {
                out += xml.substr(copied, child.begin - copied);
                copied = child.begin;
                out += it->second;
                it = pending.erase(it);
            }
        }
        if (replaced.count(std::string(child.local()))) {
            out += xml.substr(copied, child.begin - copied);
            copied = child.end;
            if (childRank) {
                auto it = pending.find(*childRank);
                if (it != pending.end()) {
                    out += it->second;
                    pending.erase(it);
                }
            }
        }
    }
    out += xml.substr(copied, parent.contentEnd - copied);
    for (const auto& [ignored, text] : pending) out += text;
    out += xml.substr(parent.contentEnd);
    return out;
}

}  // namespace xls::xlsx_update
