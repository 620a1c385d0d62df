#pragma once

#include <cstdint>

namespace xls::formula::ptg {

// BIFF8 formula token ids. Operand tokens come in three classes (reference,
// value, array) that differ only in bits 5-6; baseId() folds them onto the
// reference-class id used below.
inline constexpr std::uint8_t kIsect = 0x0F;
inline constexpr std::uint8_t kUnion = 0x10;
inline constexpr std::uint8_t kRange = 0x11;
inline constexpr std::uint8_t kUplus = 0x12;
inline constexpr std::uint8_t kUminus = 0x13;
inline constexpr std::uint8_t kParen = 0x15;
inline constexpr std::uint8_t kStr = 0x17;
inline constexpr std::uint8_t kAttr = 0x19;
inline constexpr std::uint8_t kErr = 0x1C;
inline constexpr std::uint8_t kBool = 0x1D;
inline constexpr std::uint8_t kInt = 0x1E;
inline constexpr std::uint8_t kNum = 0x1F;

inline constexpr std::uint8_t kName = 0x23;
inline constexpr std::uint8_t kMemArea = 0x26;
inline constexpr std::uint8_t kMemErr = 0x27;
inline constexpr std::uint8_t kMemNoMem = 0x28;
inline constexpr std::uint8_t kMemFunc = 0x29;
inline constexpr std::uint8_t kNameX = 0x39;
inline constexpr std::uint8_t kRef3d = 0x3A;
inline constexpr std::uint8_t kArea3d = 0x3B;
inline constexpr std::uint8_t kRefErr3d = 0x3C;
inline constexpr std::uint8_t kAreaErr3d = 0x3D;

// tAttr sub-kinds that only record blanks typed into the formula.
inline constexpr std::uint8_t kAttrSpace = 0x40;
inline constexpr std::uint8_t kAttrSpaceSemi = 0x41;

// Operand tokens (0x20 to 0x7F) carry their class in bits 5-6; ids from
// 0x80 on are no tokens and stay as they are, so they are never recognised.
inline std::uint8_t baseId(std::uint8_t id) {
    return (id >= 0x20 && id < 0x80) ? static_cast<std::uint8_t>((id & 0x1F) | 0x20) : id;
}

}  // namespace xls::formula::ptg
