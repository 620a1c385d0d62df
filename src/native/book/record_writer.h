#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string_view>
#include <vector>

namespace xls::book {

// The most data one BIFF8 record may carry; longer data goes on in
// CONTINUE records where the record allows it.
inline constexpr std::size_t kMaxRecordData = 8224;

// Little-endian appends to a byte buffer.
class ByteWriter {
  public:
    explicit ByteWriter(std::vector<std::uint8_t>& out) : out_(out) {}

    void u8(std::uint8_t v) { out_.push_back(v); }
    // A saved list is written a few bytes at a time, hundreds of thousands
    // of times: one room check for the value, not one per byte.
    void u16(std::uint16_t v) {
        const std::uint8_t b[2] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
        out_.insert(out_.end(), std::begin(b), std::end(b));
    }
    void u32(std::uint32_t v) {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16),
                                   static_cast<std::uint8_t>(v >> 24)};
        out_.insert(out_.end(), std::begin(b), std::end(b));
    }
    void f64(double v);
    void bytes(std::span<const std::uint8_t> b) { out_.insert(out_.end(), b.begin(), b.end()); }
    void zeros(std::size_t n) { out_.insert(out_.end(), n, 0); }
    std::size_t size() const { return out_.size(); }
    std::vector<std::uint8_t>& buffer() { return out_; }

  private:
    std::vector<std::uint8_t>& out_;
};

// Appends one record: header and data. BookError when the data is longer
// than a record can hold.
void putRecord(std::vector<std::uint8_t>& out, std::uint16_t id,
               std::span<const std::uint8_t> data);

// Starts a record whose data the caller appends next; endRecord fills in the
// size and checks it.
std::size_t beginRecord(std::vector<std::uint8_t>& out, std::uint16_t id);
void endRecord(std::vector<std::uint8_t>& out, std::size_t start);

// Overwrites a little-endian value at a position already written.
void patch16(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t v);
void patch32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v);

// Record id of raw record bytes (header included).
inline std::uint16_t rawId(std::span<const std::uint8_t> rec) {
    return static_cast<std::uint16_t>(rec[0] | (rec[1] << 8));
}

// The BIFF8 string forms as written: 8-bit ("compressed") characters when
// every UTF-16 unit is below 0x100, else UTF-16LE. Each takes UTF-8 and
// throws BookError when the text is longer than its count field allows.
// XLUnicodeString: u16 count, option byte, characters.
void putUnicodeString(ByteWriter& w, std::u16string_view units);
// ShortXLUnicodeString: u8 count, option byte, characters.
void putShortUnicodeString(ByteWriter& w, std::u16string_view units);
// Option byte and characters only (the count is elsewhere).
void putUnicodeChars(ByteWriter& w, std::u16string_view units);
bool fitsCompressed(std::u16string_view units);

}  // namespace xls::book
