#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace mokuji::run {

// The state of a list box that allows several entries to be selected: its
// entries in order, their selection and whether the box is enabled. The
// source workbook list is such a box that nobody sees, so it is modelled
// without a widget. With sorted set, AddItem keeps the entries in order,
// ignoring letter case, as the Windows file system lists a folder.
class ListBox {
  public:
    explicit ListBox(bool sorted = false) : sorted_(sorted) {}

    void Clear() {
        items_.clear();
        unordered_ = false;
    }
    void AddItem(const std::string& text);
    // Out-of-range indices are ignored.
    void RemoveItem(std::size_t index);
    std::size_t ListCount() const { return items_.size(); }
    const std::string& List(std::size_t index) const { return ordered().at(index).text; }
    bool Selected(std::size_t index) const { return ordered().at(index).selected; }
    void SetSelected(std::size_t index, bool selected) { ordered().at(index).selected = selected; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Sorted() const { return sorted_; }

  private:
    struct Item {
        std::string text;
        bool selected = false;
    };
    // A sorted box is put in order when it is next read, not at every
    // addition: a folder of many thousand files would otherwise cost a
    // quadratic number of moves.
    std::vector<Item>& ordered() const;

    mutable std::vector<Item> items_;
    mutable bool unordered_ = false;
    bool enabled_ = true;
    bool sorted_;
};

// Orders texts as a case-insensitive file listing does: ASCII letters
// compared without case, everything else by its UTF-8 bytes, the path
// separator below all of them, so that a folder's entries stay together.
bool LessIgnoringCase(const std::string& a, const std::string& b);

}  // namespace mokuji::run
