#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "native/biff/record_reader.h"
#include "native/book/layout.h"

namespace xls::book {

// The records at refs grouped with the CONTINUE records after each, copied
// as stored.
std::vector<RawUnit> unitsOf(std::span<const std::uint8_t> stream,
                             const std::vector<biff::RecordRef>& refs);

// The data of a unit's first record.
inline std::span<const std::uint8_t> bodyOf(std::span<const std::uint8_t> u) {
    const std::size_t size = static_cast<std::size_t>(u[2] | (u[3] << 8));
    return u.subspan(4, size);
}

}  // namespace xls::book
