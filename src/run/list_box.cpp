#include "run/list_box.h"

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
    items_.push_back({text, false});
    if (sorted_ && items_.size() > 1) unordered_ = true;
}

std::vector<ListBox::Item>& ListBox::ordered() const {
    if (unordered_) {
        // Stable, so that equal entries keep the order they were added in.
        std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
            return LessIgnoringCase(a.text, b.text);
        });
        unordered_ = false;
    }
    return items_;
}

void ListBox::RemoveItem(std::size_t index) {
    std::vector<Item>& items = ordered();
    if (index < items.size()) items.erase(items.begin() + static_cast<std::ptrdiff_t>(index));
}

}  // namespace mokuji::platform
