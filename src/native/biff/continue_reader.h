#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace xls::biff {

// Reads a record together with the CONTINUE records that extend it, as one
// run of bytes. Character data is the exception: where it is cut by a
// CONTINUE boundary the next part starts with a fresh option byte that may
// switch between 8-bit and 16-bit characters, so strings go through
// characters(). Reads past the last part throw io::ReadPastEnd.
class ContinueReader {
  public:
    explicit ContinueReader(std::span<const std::span<const std::uint8_t>> parts);

    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    void skip(std::size_t n);
    // Appends n bytes, crossing part boundaries as plain data.
    void appendBytes(std::size_t n, std::vector<std::uint8_t>& out);

    // cch characters, 16-bit when highByte, converted to UTF-8.
    std::string characters(std::size_t cch, bool highByte);
    // A string whose option byte follows: XLUnicodeStringNoCch.
    std::string unicodeStringNoCch(std::size_t cch);
    // XLUnicodeString: 16-bit count, option byte, characters.
    std::string unicodeString();

    // Counts every part still ahead: not for use once per string.
    std::size_t remaining() const;
    bool atEnd() const;
    // Index of the part the next byte comes from.
    std::size_t partIndex() const { return part_; }

  private:
    // Moves past exhausted parts; false when none with data is left.
    bool settle();
    [[noreturn]] void fail(std::size_t wanted) const;

    std::span<const std::span<const std::uint8_t>> parts_;
    std::size_t part_ = 0;
    std::size_t pos_ = 0;
    std::u16string scratch_;
};

}  // namespace xls::biff
