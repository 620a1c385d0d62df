#include "native/biff/shared_strings.h"

#include "native/biff/biff_error.h"

namespace xls::biff {

void SharedStrings::reserve(std::size_t count, std::size_t bytes) {
    ends_.reserve(count);
    text_.reserve(bytes);
}

void SharedStrings::push_back(std::string_view s) {
    if (s.size() > 0xFFFFFFFFu - text_.size())
        throw BiffError("shared strings of more than 4 GiB of text");
    text_.append(s);
    ends_.push_back(static_cast<std::uint32_t>(text_.size()));
}

void SharedStrings::shrinkToFit() {
    // A copy costs the text once more for a moment; only worth it when much
    // is unused.
    if (text_.capacity() > text_.size() + text_.size() / 4 + 4096) text_.shrink_to_fit();
    if (ends_.capacity() > ends_.size() + ends_.size() / 4 + 1024) ends_.shrink_to_fit();
}

}  // namespace xls::biff
