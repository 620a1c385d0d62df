#include "platform/list_box.h"

#include <algorithm>

namespace mokuji::platform {

namespace {

unsigned char folded(char c) {
    auto u = static_cast<unsigned char>(c);
    return u >= 'a' && u <= 'z' ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

}  // namespace

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return folded(x) < folded(y); });
}

void ListBox::AddItem(const std::string& text) {
    if (!sorted_) {
        items_.push_back({text, false});
        return;
    }
    auto at = std::upper_bound(
        items_.begin(), items_.end(), text,
        [](const std::string& t, const Item& i) { return LessIgnoringCase(t, i.text); });
    items_.insert(at, {text, false});
}

void ListBox::RemoveItem(std::size_t index) {
    if (index < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace mokuji::platform
