#include "native/cfb/signature.h"

#include <algorithm>
#include <array>

namespace xls::cfb {

bool hasCompoundFileSignature(std::span<const std::uint8_t> bytes) {
    static constexpr std::array<std::uint8_t, 8> magic = {0xD0, 0xCF, 0x11, 0xE0,
                                                          0xA1, 0xB1, 0x1A, 0xE1};
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

}  // namespace xls::cfb
