#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace xls::biff::testing {

// Builds workbook streams record by record, for inputs no real file has.
class StreamBuilder {
  public:
    StreamBuilder& record(std::uint16_t id, const std::vector<std::uint8_t>& data) {
        put16(id);
        put16(static_cast<std::uint16_t>(data.size()));
        bytes_.insert(bytes_.end(), data.begin(), data.end());
        return *this;
    }
    // A header that declares more data than follows.
    StreamBuilder& rawHeader(std::uint16_t id, std::uint16_t size) {
        put16(id);
        put16(size);
        return *this;
    }
    StreamBuilder& bof(std::uint16_t type, std::uint16_t version = 0x0600) {
        return record(0x0809, cat({le16(version), le16(type), le16(0x0DBB), le16(0x07CC), le32(0),
                                   le32(0x0600)}));
    }
    StreamBuilder& eof() { return record(0x000A, {}); }
    std::size_t size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

    static std::vector<std::uint8_t> le16(std::uint16_t v) {
        return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
    }
    static std::vector<std::uint8_t> le32(std::uint32_t v) {
        return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    }
    // Option byte 0 and the characters as single bytes.
    static std::vector<std::uint8_t> compressed(const std::string& s) {
        std::vector<std::uint8_t> out{0x00};
        out.insert(out.end(), s.begin(), s.end());
        return out;
    }
    static std::vector<std::uint8_t> cat(std::initializer_list<std::vector<std::uint8_t>> parts) {
        std::vector<std::uint8_t> out;
        for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    }

  private:
    void put16(std::uint16_t v) {
        bytes_.push_back(static_cast<std::uint8_t>(v));
        bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    std::vector<std::uint8_t> bytes_;
};

}  // namespace xls::biff::testing
