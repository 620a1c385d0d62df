#pragma once

#include <cstdint>
#include <span>

namespace xls::cfb {

// True when the bytes start with the compound file magic D0 CF 11 E0 A1 B1 1A E1.
bool hasCompoundFileSignature(std::span<const std::uint8_t> bytes);

}  // namespace xls::cfb
