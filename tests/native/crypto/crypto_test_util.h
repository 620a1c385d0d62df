#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "native/cfb/compound_file.h"
#include "native/cfb/corpus_file.h"

namespace xls::crypto::testing {

template <typename Bytes>
std::string hex(const Bytes& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0xF]);
    }
    return out;
}

inline std::vector<std::uint8_t> unhex(const std::string& text) {
    std::vector<std::uint8_t> out;
    for (std::size_t k = 0; k + 1 < text.size(); k += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(k, 2), nullptr, 16)));
    }
    return out;
}

// The workbook stream of a corpus file; the older files call it "Book".
inline std::vector<std::uint8_t> workbookStream(const std::string& relpath) {
    cfb::CompoundFile file(xls::testing::corpusBytes(relpath));
    if (auto stream = file.readStream("Workbook")) return *stream;
    if (auto stream = file.readStream("Book")) return *stream;
    throw std::runtime_error(relpath + " has no workbook stream");
}

struct Record {
    std::uint16_t id = 0;
    std::size_t offset = 0;  // of the header
    std::span<const std::uint8_t> body;
};

// Every complete record of a stream, in order.
inline std::vector<Record> records(std::span<const std::uint8_t> stream) {
    std::vector<Record> out;
    std::size_t pos = 0;
    while (stream.size() - pos >= 4) {
        const std::uint16_t id = static_cast<std::uint16_t>(stream[pos] | (stream[pos + 1] << 8));
        const std::size_t size = static_cast<std::size_t>(stream[pos + 2] | (stream[pos + 3] << 8));
        if (size > stream.size() - pos - 4) break;
        out.push_back({id, pos, stream.subspan(pos + 4, size)});
        pos += 4 + size;
    }
    return out;
}

inline std::uint16_t le16At(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint16_t>(b[at] | (b[at + 1] << 8));
}
inline std::uint32_t le32At(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(le16At(b, at)) |
           (static_cast<std::uint32_t>(le16At(b, at + 2)) << 16);
}

}  // namespace xls::crypto::testing
