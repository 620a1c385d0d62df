#pragma once

#include <array>
#include <cstdint>

// The parts of an HLINK record's hyperlink object that reading and writing
// it share: its flags and the classes of the monikers it holds.
namespace xls::biff::hyperlink_format {

// Hyperlink object flags (hlstmf...).
inline constexpr std::uint32_t kHasMoniker = 0x0001;
inline constexpr std::uint32_t kIsAbsolute = 0x0002;
inline constexpr std::uint32_t kSiteGaveDisplayName = 0x0004;
inline constexpr std::uint32_t kHasLocation = 0x0008;
inline constexpr std::uint32_t kHasDisplayName = 0x0010;
inline constexpr std::uint32_t kHasFrameName = 0x0080;
inline constexpr std::uint32_t kMonikerSavedAsString = 0x0100;

// CLSIDs as stored (first three fields little-endian).
inline constexpr std::array<std::uint8_t, 16> kStdLink{
    0xD0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11, 0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
inline constexpr std::array<std::uint8_t, 16> kUrlMoniker{
    0xE0, 0xC9, 0xEA, 0x79, 0xF9, 0xBA, 0xCE, 0x11, 0x8C, 0x82, 0x00, 0xAA, 0x00, 0x4B, 0xA9, 0x0B};
inline constexpr std::array<std::uint8_t, 16> kFileMoniker{
    0x03, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};

}  // namespace xls::biff::hyperlink_format
