#include "run/list_box.h"

#include <algorithm>

#include "native/text/ascii.h"
#include "os/path_names.h"

namespace mokuji::run {

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    // A folder's entries stay together, before a sibling folder whose name
    // only begins the same ("部/x" before "部 2/x"): the separator sorts
    // below every character. Bare names hold none.
    const auto key = [](char c) -> unsigned {
        return c == os::kPathSeparator ? 0u : static_cast<unsigned char>(xls::text::asciiUpper(c));
    };
    // Names in one folder mostly share a long beginning ("アンケート回答_"),
    // and equal bytes have equal keys: only what follows it is compared.
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return std::lexicographical_compare(ia, a.end(), ib, b.end(),
                                        [&](char x, char y) { return key(x) < key(y); });
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
