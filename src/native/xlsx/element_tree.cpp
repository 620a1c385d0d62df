#include "native/xlsx/element_tree.h"

#include "native/xlsx/xlsx_error.h"
#include "native/xml/xml_parser.h"

namespace xls::xlsx {

namespace {

// Far beyond a workbook part with thousands of names and formats, far below
// what would exhaust memory.
constexpr std::size_t kMaxElements = 2'000'000;

class TreeBuilder : public xml::Handler {
  public:
    void startElement(const xml::StartTag& tag) override {
        if (++count_ > kMaxElements)
            throw XlsxRefused("holds more than " + std::to_string(kMaxElements) + " elements");
        Element e;
        e.local = tag.local;
        e.attributes.reserve(tag.attributes.size());
        for (const auto& a : tag.attributes) {
            std::string name = a.ns.empty() ? std::string(a.local) : "/" + std::string(a.local);
            e.attributes.emplace_back(std::move(name), std::string(a.value));
        }
        if (path_.empty()) {
            root_ = std::move(e);
            path_.push_back(&root_);
        } else {
            auto& siblings = path_.back()->children;
            siblings.push_back(std::move(e));
            path_.push_back(&siblings.back());
        }
    }
    void endElement(std::string_view, std::string_view local) override {
        path_.pop_back();
        if (path_.size() == 1 && !lastNeeded_.empty() && local == lastNeeded_) finish();
    }
    explicit TreeBuilder(std::string_view lastNeeded) : lastNeeded_(lastNeeded) {}
    void text(std::string_view t) override {
        if (!path_.empty()) path_.back()->text += t;
    }
    Element take() { return std::move(root_); }

  private:
    Element root_;
    // Each element's children are complete before a sibling is added, so
    // pointers into the vectors stay valid along the open path.
    std::vector<Element*> path_;
    std::size_t count_ = 0;
    std::string_view lastNeeded_;
};

}  // namespace

std::optional<std::string_view> Element::attribute(std::string_view name) const {
    for (const auto& [k, v] : attributes)
        if (k == name) return std::string_view(v);
    return std::nullopt;
}

std::optional<std::string_view> Element::anyAttribute(std::string_view localName) const {
    for (const auto& [k, v] : attributes) {
        std::string_view key(k);
        if (!key.empty() && key.front() == '/') key.remove_prefix(1);
        if (key == localName) return std::string_view(v);
    }
    return std::nullopt;
}

const Element* Element::child(std::string_view localName) const {
    for (const auto& c : children)
        if (c.local == localName) return &c;
    return nullptr;
}

std::vector<const Element*> Element::childrenNamed(std::string_view localName) const {
    std::vector<const Element*> out;
    for (const auto& c : children)
        if (c.local == localName) out.push_back(&c);
    return out;
}

Element readElementTree(std::span<const std::uint8_t> bytes, std::string_view part,
                        std::string_view lastNeeded) {
    TreeBuilder builder(lastNeeded);
    try {
        xml::parse(bytes, builder);
    } catch (const std::runtime_error& e) {
        throw XlsxError("part " + std::string(part) + " " + e.what());
    }
    return builder.take();
}

bool isTrue(std::optional<std::string_view> value) {
    return value && (*value == "1" || *value == "true");
}

}  // namespace xls::xlsx
