#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>

namespace xls::io {

// Thrown when a read would pass the end of the bytes at hand. Layers above
// catch it and rethrow as their own error with the context they know.
class ReadPastEnd : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Little-endian, bounds-checked cursor over a byte span. Every read checks
// the remaining length first; nothing is ever read past the span.
class ByteReader {
  public:
    ByteReader() = default;
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return bytes_.size(); }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    bool atEnd() const { return pos_ == bytes_.size(); }

    void seek(std::size_t pos) {
        if (pos > bytes_.size()) fail(pos - pos_);
        pos_ = pos;
    }
    void skip(std::size_t n) {
        need(n);
        pos_ += n;
    }

    std::uint8_t u8() {
        need(1);
        return bytes_[pos_++];
    }
    std::uint16_t u16() {
        need(2);
        std::uint16_t v = static_cast<std::uint16_t>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::uint32_t u32() {
        need(4);
        std::uint32_t v = static_cast<std::uint32_t>(bytes_[pos_]) |
                          (static_cast<std::uint32_t>(bytes_[pos_ + 1]) << 8) |
                          (static_cast<std::uint32_t>(bytes_[pos_ + 2]) << 16) |
                          (static_cast<std::uint32_t>(bytes_[pos_ + 3]) << 24);
        pos_ += 4;
        return v;
    }
    std::uint64_t u64() {
        std::uint64_t lo = u32();
        std::uint64_t hi = u32();
        return lo | (hi << 32);
    }
    std::int16_t i16() { return static_cast<std::int16_t>(u16()); }
    std::int32_t i32() { return static_cast<std::int32_t>(u32()); }
    double f64() {
        std::uint64_t bits = u64();
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }
    std::span<const std::uint8_t> bytes(std::size_t n) {
        need(n);
        auto s = bytes_.subspan(pos_, n);
        pos_ += n;
        return s;
    }
    std::span<const std::uint8_t> rest() { return bytes(remaining()); }

  private:
    void need(std::size_t n) const {
        if (n > remaining()) fail(n);
    }
    [[noreturn]] void fail(std::size_t n) const {
        throw ReadPastEnd("read of " + std::to_string(n) + " bytes at offset " +
                          std::to_string(pos_) + " passes the end (" +
                          std::to_string(bytes_.size()) + " bytes)");
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// Little-endian reads at a fixed offset of a span the caller has already
// checked to be long enough.
inline std::uint16_t le16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t le32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

}  // namespace xls::io
