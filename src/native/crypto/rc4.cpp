#include "native/crypto/rc4.h"

#include <utility>

namespace xls::crypto {

Rc4::Rc4(std::span<const std::uint8_t> key) {
    static constexpr std::uint8_t kZero = 0;
    if (key.empty()) key = {&kZero, 1};
    if (key.size() > 256) key = key.first(256);
    for (std::size_t k = 0; k < 256; ++k) s_[k] = static_cast<std::uint8_t>(k);
    std::uint8_t j = 0;
    for (std::size_t k = 0; k < 256; ++k) {
        j = static_cast<std::uint8_t>(j + s_[k] + key[k % key.size()]);
        std::swap(s_[k], s_[j]);
    }
}

std::uint8_t Rc4::next() {
    i_ = static_cast<std::uint8_t>(i_ + 1);
    j_ = static_cast<std::uint8_t>(j_ + s_[i_]);
    std::swap(s_[i_], s_[j_]);
    return s_[static_cast<std::uint8_t>(s_[i_] + s_[j_])];
}

void Rc4::apply(std::span<std::uint8_t> data) {
    for (std::uint8_t& byte : data) byte ^= next();
}

void Rc4::discard(std::size_t n) {
    for (std::size_t k = 0; k < n; ++k) next();
}

}  // namespace xls::crypto
