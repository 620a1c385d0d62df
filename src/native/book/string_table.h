#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace xls::book {

// The shared string table (SST) of a workbook being written: every text
// cell's string once, in order of first use.
class StringTable {
  public:
    // Adds one use of a string; returns its index. lasting: the text stays
    // where it is until the table is written, as a cell's does, and is not
    // copied; else the table keeps a copy of it.
    std::uint32_t add(std::string_view text, bool lasting = false);
    // Index of a string added before; the caller has added every text.
    std::uint32_t indexOf(std::string_view text) const;

    std::uint32_t totalUses() const { return uses_; }
    const std::vector<std::string_view>& strings() const { return order_; }
    // Bytes write appends at most, near enough: UTF-16 of every string with
    // its header, CONTINUE and EXTSST records.
    std::size_t sizeHint() const { return 2 * textBytes_ + 8 * order_.size() + 4096; }

    // Appends SST with its CONTINUE records and EXTSST. streamOffset: where
    // out[0] lies in the workbook stream, for EXTSST's absolute offsets.
    // A string's count and option byte never straddle a record boundary;
    // characters going on in a CONTINUE get their option byte again.
    void write(std::vector<std::uint8_t>& out, std::size_t streamOffset) const;

  private:
    std::unordered_map<std::string_view, std::uint32_t> index_;
    std::vector<std::string_view> order_;
    std::deque<std::string> copies_;  // texts that would not last
    std::uint32_t uses_ = 0;
    std::size_t textBytes_ = 0;
};

}  // namespace xls::book
