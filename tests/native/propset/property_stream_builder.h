#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "native/propset/property_set.h"

namespace xls::propset::testing {

using Bytes = std::vector<std::uint8_t>;

inline void put32(Bytes& b, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
inline void put16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
// A typed value: type, two bytes of padding, then the payload.
inline Bytes typed(std::uint16_t type, const Bytes& payload) {
    Bytes b;
    put16(b, type);
    put16(b, 0);
    b.insert(b.end(), payload.begin(), payload.end());
    while (b.size() % 4) b.push_back(0);
    return b;
}
inline Bytes lpstr(const std::string& s) {
    Bytes b;
    put32(b, static_cast<std::uint32_t>(s.size() + 1));
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
    return b;
}

using RawProperty = std::pair<std::uint32_t, Bytes>;  // id, bytes at its offset

// One stream holding the given sections, each a list of raw properties.
inline Bytes propertyStream(
    const std::vector<std::pair<Fmtid, std::vector<RawProperty>>>& sections) {
    Bytes out;
    put16(out, 0xFFFE);
    put16(out, 0);
    put32(out, 0x00020006);
    out.resize(out.size() + 16, 0);
    put32(out, static_cast<std::uint32_t>(sections.size()));
    std::size_t tableAt = out.size();
    out.resize(out.size() + 20 * sections.size(), 0);
    for (std::size_t s = 0; s < sections.size(); ++s) {
        std::uint32_t start = static_cast<std::uint32_t>(out.size());
        std::copy(sections[s].first.begin(), sections[s].first.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(tableAt + 20 * s));
        for (int i = 0; i < 4; ++i)
            out[tableAt + 20 * s + 16 + i] = static_cast<std::uint8_t>(start >> (8 * i));
        const auto& props = sections[s].second;
        Bytes sec;
        put32(sec, 0);
        put32(sec, static_cast<std::uint32_t>(props.size()));
        std::uint32_t offset = static_cast<std::uint32_t>(8 + 8 * props.size());
        Bytes values;
        for (const auto& [id, bytes] : props) {
            put32(sec, id);
            put32(sec, offset + static_cast<std::uint32_t>(values.size()));
            values.insert(values.end(), bytes.begin(), bytes.end());
        }
        sec.insert(sec.end(), values.begin(), values.end());
        std::uint32_t size = static_cast<std::uint32_t>(sec.size());
        for (int i = 0; i < 4; ++i) sec[i] = static_cast<std::uint8_t>(size >> (8 * i));
        out.insert(out.end(), sec.begin(), sec.end());
    }
    return out;
}

}  // namespace xls::propset::testing
