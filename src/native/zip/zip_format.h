#pragma once

#include <cstdint>

namespace xls::zip {

// Record signatures, as the bytes "PK" and two more read little-endian.
inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054B50;
inline constexpr std::uint32_t kZip64EndRecordSignature = 0x06064B50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064B50;

// Fixed parts of the records, before their variable-length fields.
inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;
inline constexpr std::size_t kZip64EndRecordSize = 56;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kMaxCommentSize = 0xFFFF;

inline constexpr std::uint16_t kZip64ExtraId = 0x0001;
// A 32-bit field holding this says "see the ZIP64 extra".
inline constexpr std::uint32_t kZip64Marker32 = 0xFFFFFFFF;
// An entry count of the end record holding this says the same.
inline constexpr std::uint16_t kZip64Marker16 = 0xFFFF;

inline constexpr std::uint16_t kFlagEncrypted = 0x0001;
// CRC and sizes follow the data instead of standing in the local header.
inline constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
// The name is UTF-8 rather than code page 437.
inline constexpr std::uint16_t kFlagUtf8Name = 0x0800;
inline constexpr std::uint16_t kMethodStored = 0;
inline constexpr std::uint16_t kMethodDeflate = 8;
// Version 2.0 of the format, the first with deflate; as "made by", on MS-DOS,
// so that external attributes of 0 mean an ordinary file.
inline constexpr std::uint16_t kVersion20 = 20;

}  // namespace xls::zip
