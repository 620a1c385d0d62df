#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace xls::biff {

// The strings of the shared string table, end to end in one buffer. A
// table of a million short strings would otherwise cost a std::string (and
// often a heap block) each, many times the bytes the file spends on them.
class SharedStrings {
  public:
    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends_[i - 1];
        return std::string_view(text_).substr(begin, ends_[i] - begin);
    }

    // Room for count strings of bytes bytes in all.
    void reserve(std::size_t count, std::size_t bytes);
    // Throws BiffError once the strings pass 4 GiB, which no stream of a
    // readable size can hold.
    void push_back(std::string_view s);
    // Gives back the room reserve and growth left unused.
    void shrinkToFit();

  private:
    std::string text_;
    std::vector<std::uint32_t> ends_;
};

}  // namespace xls::biff
