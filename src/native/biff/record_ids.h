#pragma once

#include <cstdint>

namespace xls::biff {

// Record ids of the BIFF8 records this layer interprets or must recognise.
namespace rec {
inline constexpr std::uint16_t Formula = 0x0006;
inline constexpr std::uint16_t Eof = 0x000A;
inline constexpr std::uint16_t FilePass = 0x002F;
inline constexpr std::uint16_t Font = 0x0031;
inline constexpr std::uint16_t Continue = 0x003C;
inline constexpr std::uint16_t CodePage = 0x0042;
inline constexpr std::uint16_t ColInfo = 0x007D;
inline constexpr std::uint16_t Name = 0x0018;
inline constexpr std::uint16_t ExternSheet = 0x0017;
inline constexpr std::uint16_t DateMode = 0x0022;
inline constexpr std::uint16_t BoundSheet = 0x0085;
inline constexpr std::uint16_t MulRk = 0x00BD;
inline constexpr std::uint16_t MulBlank = 0x00BE;
inline constexpr std::uint16_t RString = 0x00D6;
inline constexpr std::uint16_t Xf = 0x00E0;
inline constexpr std::uint16_t Sst = 0x00FC;
inline constexpr std::uint16_t LabelSst = 0x00FD;
inline constexpr std::uint16_t SupBook = 0x01AE;
inline constexpr std::uint16_t HLink = 0x01B8;
inline constexpr std::uint16_t Dimensions = 0x0200;
inline constexpr std::uint16_t Blank = 0x0201;
inline constexpr std::uint16_t Number = 0x0203;
inline constexpr std::uint16_t Label = 0x0204;
inline constexpr std::uint16_t BoolErr = 0x0205;
inline constexpr std::uint16_t String = 0x0207;
inline constexpr std::uint16_t Row = 0x0208;
inline constexpr std::uint16_t Rk = 0x027E;
inline constexpr std::uint16_t Format = 0x041E;
inline constexpr std::uint16_t Bof = 0x0809;
// BOF records of the versions before BIFF5.
inline constexpr std::uint16_t Bof2 = 0x0009;
inline constexpr std::uint16_t Bof3 = 0x0209;
inline constexpr std::uint16_t Bof4 = 0x0409;
}  // namespace rec

// BOF.vers of a BIFF8 stream.
inline constexpr std::uint16_t kBiff8Version = 0x0600;

// BOF.dt, the kind of substream a BOF opens.
namespace substream {
inline constexpr std::uint16_t Globals = 0x0005;
inline constexpr std::uint16_t Worksheet = 0x0010;
inline constexpr std::uint16_t Chart = 0x0020;
inline constexpr std::uint16_t MacroSheet = 0x0040;
}  // namespace substream

// The record's name as the format documentation spells it, for messages;
// "record 0xNNNN" for ids this layer has no name for.
const char* recordName(std::uint16_t id);

}  // namespace xls::biff
