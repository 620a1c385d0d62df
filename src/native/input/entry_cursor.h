#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

#include "native/text/ascii.h"

namespace xls::input {

// A run of decimal digits read from an entry, with how many there were.
struct Number {
    int value = 0;
    std::size_t length = 0;
};

// Walks a folded entry for the date and time readers.
class Cursor {
  public:
    explicit Cursor(std::string_view s) : s_(s) {}

    bool atEnd() const { return i_ == s_.size(); }
    char peek() const { return atEnd() ? '\0' : s_[i_]; }
    void skip() { ++i_; }

    bool literal(std::string_view text) {
        if (s_.substr(i_, text.size()) != text) return false;
        i_ += text.size();
        return true;
    }

    // A run of digits, taken whole so "3/145" cannot be read as "3/14" and a leftover.
    std::optional<Number> number(std::size_t maxDigits) {
        std::size_t end = i_;
        while (end < s_.size() && s_[end] >= '0' && s_[end] <= '9') ++end;
        const std::size_t length = end - i_;
        if (length == 0 || length > maxDigits) return std::nullopt;
        Number n{0, length};
        for (; i_ < end; ++i_) n.value = n.value * 10 + (s_[i_] - '0');
        return n;
    }

    bool blanks() {
        const std::size_t start = i_;
        while (i_ < s_.size() && s_[i_] == ' ') ++i_;
        return i_ > start;
    }

    // A word of letters compared without case, for AM/PM markers.
    bool wordIgnoringCase(std::string_view upper) {
        if (!text::equalsIgnoringAsciiCase(s_.substr(i_, upper.size()), upper)) return false;
        i_ += upper.size();
        return true;
    }

    std::size_t position() const { return i_; }
    void rewind(std::size_t to) { i_ = to; }

  private:
    std::string_view s_;
    std::size_t i_ = 0;
};

}  // namespace xls::input
