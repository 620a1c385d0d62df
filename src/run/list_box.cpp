#include "run/list_box.h"

#include <algorithm>

#include "native/text/ascii.h"

namespace mokuji::run {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return xls::text::lessIgnoringAsciiCase(a, b);
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

}  // namespace mokuji::run
