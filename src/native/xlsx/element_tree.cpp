#include "native/xlsx/element_tree.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "native/xlsx/xlsx_error.h"
#include "native/xml/xml_parser.h"

namespace xls::xlsx {

// A tree's names and values where the part's parse left them, in the part's
// bytes, which the tree keeps; and what lies elsewhere (a part decoded from
// UTF-16, or streamed) copied into a few blocks rather than a string each:
// a small part's tree took about as long to build and free as its part
// took to parse.
class TreeStorage {
  public:
    // The attributes of a part take less than its bytes: its size serves
    // for a first block, within bounds.
    explicit TreeStorage(std::vector<std::uint8_t> bytes)
        : bytes_(std::move(bytes)),
          begin_(reinterpret_cast<std::uintptr_t>(bytes_.data())),
          end_(begin_ + bytes_.size()),
          nextBlock_(std::clamp<std::size_t>(bytes_.size() / 2, 256, 64u << 10)) {}

    std::span<std::uint8_t> bytes() { return bytes_; }

    std::string_view keep(std::string_view s) {
        const auto at = reinterpret_cast<std::uintptr_t>(s.data());
        if (s.empty() || (at >= begin_ && at + s.size() <= end_)) return s;
        char* copy = static_cast<char*>(take(s.size(), 1));
        std::memcpy(copy, s.data(), s.size());
        return {copy, s.size()};
    }
    Element::Attribute* attributes(std::size_t count) {
        return static_cast<Element::Attribute*>(
            take(count * sizeof(Element::Attribute), alignof(Element::Attribute)));
    }

  private:
    // Called for every attribute: the common case stays inline.
    void* take(std::size_t size, std::size_t align) {
        std::size_t at = (used_ + align - 1) & ~(align - 1);
        if (at + size > capacity_) return takeNewBlock(size);
        used_ = at + size;
        return block_ + at;
    }
    [[gnu::noinline]] void* takeNewBlock(std::size_t size) {
        capacity_ = std::max(size, nextBlock_);
        nextBlock_ = capacity_ * 2;
        // operator new's alignment suits every kept type; the bytes are
        // written before they are read, so they are not cleared.
        blocks_.push_back(std::make_unique_for_overwrite<std::byte[]>(capacity_));
        block_ = blocks_.back().get();
        used_ = size;
        return block_;
    }

    std::vector<std::uint8_t> bytes_;
    std::uintptr_t begin_, end_;
    std::vector<std::unique_ptr<std::byte[]>> blocks_;
    std::byte* block_ = nullptr;
    std::size_t used_ = 0, capacity_ = 0, nextBlock_;
};

namespace {

// Far beyond a workbook part with thousands of names and formats, far below
// what would exhaust memory.
constexpr std::size_t kMaxElements = 2'000'000;

class TreeBuilder : public xml::Handler {
  public:
    TreeBuilder(std::string_view lastNeeded, std::shared_ptr<TreeStorage> storage)
        : storage_(std::move(storage)), lastNeeded_(lastNeeded) {}

    void startElement(const xml::StartTag& tag) override {
        if (++count_ > kMaxElements)
            throw XlsxRefused("holds more than " + std::to_string(kMaxElements) + " elements");
        Element e;
        e.local = storage_->keep(tag.local);
        if (!tag.attributes.empty()) {
            Element::Attribute* list = storage_->attributes(tag.attributes.size());
            for (std::size_t i = 0; i < tag.attributes.size(); ++i) {
                const auto& a = tag.attributes[i];
                list[i] = {storage_->keep(a.local), storage_->keep(a.value), !a.ns.empty()};
            }
            e.attributes = {list, tag.attributes.size()};
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
    void text(std::string_view t) override {
        if (!path_.empty()) path_.back()->text += t;
    }
    Element take() {
        root_.storage = std::move(storage_);
        return std::move(root_);
    }

  private:
    std::shared_ptr<TreeStorage> storage_;
    Element root_;
    // Each element's children are complete before a sibling is added, so
    // pointers into the vectors stay valid along the open path.
    std::vector<Element*> path_;
    std::size_t count_ = 0;
    std::string_view lastNeeded_;
};

}  // namespace

std::optional<std::string_view> Element::attribute(std::string_view name) const {
    const bool namespaced = !name.empty() && name.front() == '/';
    if (namespaced) name.remove_prefix(1);
    for (const auto& a : attributes)
        if (a.namespaced == namespaced && a.local == name) return a.value;
    return std::nullopt;
}

std::optional<std::string_view> Element::anyAttribute(std::string_view localName) const {
    for (const auto& a : attributes)
        if (a.local == localName) return a.value;
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

Element readElementTree(std::vector<std::uint8_t> bytes,
                        const std::function<std::vector<std::uint8_t>()>& reread,
                        std::string_view part, std::string_view lastNeeded) {
    auto storage = std::make_shared<TreeStorage>(std::move(bytes));
    const std::span<std::uint8_t> in = storage->bytes();
    TreeBuilder builder(lastNeeded, storage);
    try {
        xml::parseInPlace(
            in,
            [&] {
                const std::vector<std::uint8_t> again = reread();
                std::copy_n(again.begin(), std::min(again.size(), in.size()), in.begin());
            },
            builder);
    } catch (const std::runtime_error& e) {
        throw XlsxError("part " + std::string(part) + " " + e.what());
    }
    return builder.take();
}

bool isTrue(std::optional<std::string_view> value) {
    return value && (*value == "1" || *value == "true");
}

}  // namespace xls::xlsx
