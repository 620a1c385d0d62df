// The parser over bytes in memory: pugixml parses them whole into a tree,
// many times faster than a streaming parser, and the tree is walked into
// the same events. pugixml does not check namespaces, repeated attributes,
// the encoding of the text or text outside the root, and expands no
// entities; what a streaming parser refuses beyond that is refused here.

#include <pugixml.hpp>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "native/text/unicode.h"
#include "native/xml/parser_backend.h"

namespace xls::xml {

namespace {

constexpr std::string_view kXmlNamespace = "http://www.w3.org/XML/1998/namespace";

// Text between elements is kept even when it is only blanks: a cell's
// text may be a single blank.
constexpr unsigned kOptions = pugi::parse_cdata | pugi::parse_escapes |
                              pugi::parse_wconv_attribute | pugi::parse_eol |
                              pugi::parse_ws_pcdata | pugi::parse_doctype | pugi::parse_fragment;

std::string_view view(const pugi::char_t* s) {
    return std::string_view(s, std::strlen(s));
}

bool isBlank(std::string_view s) {
    return std::all_of(s.begin(), s.end(),
                       [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
}

// Where a name's prefix ends; its size when it has none. Names are short: a
// loop costs less than a call to find one colon.
std::size_t colonAt(std::string_view name) {
    std::size_t at = 0;
    while (at < name.size() && name[at] != ':') ++at;
    return at;
}

// Most attributes of an element differ in length or first letter ("r",
// "s", "t" of a cell): compared so, without a call to compare their bytes.
bool sameName(const Attribute& a, const Attribute& b) {
    return a.local.size() == b.local.size() &&
           (a.local.empty() || a.local.front() == b.local.front()) && a.local == b.local &&
           a.ns == b.ns;
}

struct Binding {
    std::string_view prefix;  // empty for the default namespace
    std::string_view uri;
};

class DocumentParser final : public ParserBackend {
  public:
    DocumentParser(std::span<const std::uint8_t> bytes, Handler& handler, Limits limits,
                   std::function<void()> restore = {})
        : bytes_(bytes), handler_(handler), limits_(limits), restore_(std::move(restore)) {
        // Room for what a part of a workbook holds, taken at once rather
        // than grown a step at a time on each of its small parts.
        open_.reserve(16);
        bindings_.reserve(16);
        attributes_.reserve(16);
    }

    // False when pugixml finds the bytes not well-formed; parsed in place,
    // they are then as they were.
    bool load() {
        // Read as UTF-8 and valid as a whole, the bytes give every name and
        // value a valid piece of themselves, cut at markup and with ASCII
        // for the named entities and line ends; only a character reference
        // can make text that is not UTF-8. One pass over the bytes, before
        // a parse in place rewrites them, then stands for a check of each
        // string.
        const std::string_view whole(reinterpret_cast<const char*>(bytes_.data()), bytes_.size());
        const bool utf8Text =
            whole.find("&#") == std::string_view::npos && text::isValidUtf8(whole);
        // The bytes are writable when there is a way to restore them.
        const pugi::xml_parse_result result =
            restore_ ? document_.load_buffer_inplace(const_cast<std::uint8_t*>(bytes_.data()),
                                                     bytes_.size(), kOptions, pugi::encoding_auto)
                     : document_.load_buffer(bytes_.data(), bytes_.size(), kOptions,
                                             pugi::encoding_auto);
        if (!result) {
            restoreBytes();
            return false;
        }
        next_ = document_.first_child();
        validUtf8_ = result.encoding == pugi::encoding_utf8 && utf8Text;
        return true;
    }

    bool run() override;
    void pause() override { pauseAsked_ = true; }

  private:
    // Parsed in place, the bytes hold the tree's strings: put back as they
    // were only on the way to an error, which counts lines in them.
    void restoreBytes() const {
        if (restore_ && !restored_) restore_();
        restored_ = true;
    }
    std::string lineAt(std::size_t offset) const {
        restoreBytes();
        offset = std::min(offset, bytes_.size());
        return std::to_string(1 + std::count(bytes_.begin(), bytes_.begin() + offset, '\n'));
    }
    std::string lineOf(pugi::xml_node n) const {
        return lineAt(static_cast<std::size_t>(std::max<std::ptrdiff_t>(n.offset_debug(), 0)));
    }
    [[noreturn]] void fail(const std::string& what, pugi::xml_node n) const {
        throw XmlError("is not well-formed XML: " + what + " at line " + lineOf(n));
    }
    std::string_view checked(std::string_view s, pugi::xml_node n) const {
        if (!validUtf8_ && !text::isValidUtf8(s)) fail("text that is not UTF-8", n);
        return s;
    }

    // The namespace a prefix stands for where the walk is. Nearly every
    // element is in the default namespace, which changes only where a
    // binding does: it is looked up once per change.
    std::optional<std::string_view> bound(std::string_view prefix) const {
        if (prefix.empty()) {
            if (!defaultKnown_) {
                defaultNs_ = lookUp(prefix).value_or(std::string_view{});
                defaultKnown_ = true;
            }
            return defaultNs_;
        }
        return lookUp(prefix);
    }
    std::optional<std::string_view> lookUp(std::string_view prefix) const {
        for (auto b = bindings_.rbegin(); b != bindings_.rend(); ++b)
            if (b->prefix == prefix) return b->uri;
        if (prefix == "xml") return kXmlNamespace;
        if (prefix.empty()) return std::string_view{};
        return std::nullopt;
    }
    // "p:local" into its namespace and local name.
    void resolve(std::string_view qualified, std::string_view& ns, std::string_view& local,
                 bool isElement, pugi::xml_node n) const {
        const std::size_t colon = colonAt(qualified);
        if (colon == qualified.size()) {
            local = qualified;
            ns = isElement ? *bound({}) : std::string_view{};
            return;
        }
        local = qualified.substr(colon + 1);
        auto uri = bound(qualified.substr(0, colon));
        if (!uri || uri->empty()) fail("unbound prefix", n);
        ns = *uri;
    }

    void start(pugi::xml_node n);
    void end();

    std::span<const std::uint8_t> bytes_;
    Handler& handler_;
    Limits limits_;
    std::function<void()> restore_;
    mutable bool restored_ = false;
    pugi::xml_document document_;
    // Where the walk is: about to enter next_, or to leave it.
    pugi::xml_node next_;
    bool leaving_ = false;
    bool started_ = false;
    bool sawRoot_ = false;
    bool ended_ = false;
    bool pauseAsked_ = false;
    bool validUtf8_ = false;
    mutable bool defaultKnown_ = false;
    mutable std::string_view defaultNs_;
    std::size_t depth_ = 0;
    std::vector<Binding> bindings_;
    // Each open element's name as its start gave it, and how many bindings
    // were in force before it.
    struct Open {
        std::string_view ns, local;
        std::size_t bindings;
    };
    std::vector<Open> open_;
    std::vector<Attribute> attributes_;
};

void DocumentParser::start(pugi::xml_node n) {
    if (++depth_ > limits_.maxDepth)
        throw XmlError("elements nest deeper than " + std::to_string(limits_.maxDepth) +
                       " levels at line " + lineOf(n));
    const std::size_t outer = bindings_.size();
    // Declarations first: they bind the prefixes of the element's own name
    // and attributes, wherever they stand among them.
    attributes_.clear();
    // Most attributes have no prefix, and then no namespace to look up.
    bool prefixed = false;
    for (pugi::xml_attribute a = n.first_attribute(); a; a = a.next_attribute()) {
        std::string_view name = checked(view(a.name()), n);
        std::string_view value = checked(view(a.value()), n);
        if (name.substr(0, 5) == "xmlns" && (name.size() == 5 || name[5] == ':')) {
            bindings_.push_back({name.substr(std::min<std::size_t>(name.size(), 6)), value});
            defaultKnown_ = false;
        } else {
            attributes_.push_back({{}, name, value});
            prefixed = prefixed || colonAt(name) != name.size();
        }
    }
    StartTag tag;
    resolve(checked(view(n.name()), n), tag.ns, tag.local, true, n);
    if (prefixed)
        for (auto& a : attributes_) resolve(a.local, a.ns, a.local, false, n);
    // Few attributes are compared pairwise; many are sorted first, so that a
    // hostile element costs no quadratic time.
    const std::size_t count = attributes_.size();
    if (count <= 16) {
        for (std::size_t i = 1; i < count; ++i)
            for (std::size_t k = 0; k < i; ++k)
                if (sameName(attributes_[i], attributes_[k])) fail("repeats attribute", n);
    } else {
        std::vector<std::pair<std::string_view, std::string_view>> names;
        names.reserve(count);
        for (const auto& a : attributes_) names.emplace_back(a.ns, a.local);
        std::sort(names.begin(), names.end());
        if (std::adjacent_find(names.begin(), names.end()) != names.end())
            fail("repeats attribute", n);
    }
    tag.attributes = attributes_;
    open_.push_back({tag.ns, tag.local, outer});
    handler_.startElement(tag);
}

void DocumentParser::end() {
    const Open element = open_.back();
    open_.pop_back();
    --depth_;
    if (bindings_.size() != element.bindings) {
        bindings_.resize(element.bindings);
        defaultKnown_ = false;
    }
    handler_.endElement(element.ns, element.local);
}

bool DocumentParser::run() {
    if (!started_) {
        started_ = true;
        // Refused before any event, as a streaming parser would: a document
        // type comes before the root.
        pugi::xml_node n = document_.first_child();
        for (; n && n.type() != pugi::node_element; n = n.next_sibling())
            if (n.type() == pugi::node_doctype)
                throw XmlError("has a document type declaration at line " + lineOf(n));
        if (!n) throw XmlError("is not well-formed XML: no root element");
    }
    pauseAsked_ = false;
    while (!ended_) {
        if (!next_) {
            ended_ = true;
            break;
        }
        const pugi::xml_node_type type = next_.type();
        if (!leaving_) {
            if (type == pugi::node_element) {
                // As a fragment pugixml keeps what lies outside the root,
                // so that it can be refused where it stands.
                if (depth_ == 0 && sawRoot_) fail("a second root element", next_);
                sawRoot_ = true;
                start(next_);
                if (pugi::xml_node child = next_.first_child())
                    next_ = child;
                else
                    leaving_ = true;
            } else {
                if (type == pugi::node_pcdata || type == pugi::node_cdata) {
                    std::string_view text = checked(view(next_.value()), next_);
                    if (depth_ > 0)
                        handler_.text(text);
                    else if (!isBlank(text))
                        fail("text outside the root element", next_);
                }
                leaving_ = true;
            }
        } else {
            if (type == pugi::node_element) end();
            if (pugi::xml_node sibling = next_.next_sibling()) {
                next_ = sibling;
                leaving_ = false;
            } else {
                next_ = next_.parent();
                if (next_ == document_) next_ = {};
            }
        }
        if (handler_.done()) ended_ = true;
        if (pauseAsked_ && !ended_) return false;
    }
    return true;
}

}  // namespace

std::unique_ptr<ParserBackend> documentParser(std::span<const std::uint8_t> bytes, Handler& handler,
                                              Limits limits) {
    auto parser = std::make_unique<DocumentParser>(bytes, handler, limits);
    if (!parser->load()) return nullptr;
    return parser;
}

std::unique_ptr<ParserBackend> documentParserInPlace(std::span<std::uint8_t> bytes,
                                                     std::function<void()> restore,
                                                     Handler& handler, Limits limits) {
    auto parser = std::make_unique<DocumentParser>(bytes, handler, limits, std::move(restore));
    if (!parser->load()) return nullptr;
    return parser;
}

}  // namespace xls::xml
