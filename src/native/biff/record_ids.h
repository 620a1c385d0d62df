#pragma once

#include <cstdint>

namespace xls::biff {

// Record ids of every BIFF record the engine reads, writes or must
// recognise, kept here once for the reader, the writer and the decryptor.
namespace rec {
inline constexpr std::uint16_t Formula = 0x0006;
inline constexpr std::uint16_t Eof = 0x000A;
inline constexpr std::uint16_t CalcCount = 0x000C;
inline constexpr std::uint16_t CalcMode = 0x000D;
inline constexpr std::uint16_t Precision = 0x000E;
inline constexpr std::uint16_t RefMode = 0x000F;
inline constexpr std::uint16_t Delta = 0x0010;
inline constexpr std::uint16_t Iteration = 0x0011;
inline constexpr std::uint16_t Protect = 0x0012;
inline constexpr std::uint16_t Password = 0x0013;
inline constexpr std::uint16_t Header = 0x0014;
inline constexpr std::uint16_t Footer = 0x0015;
inline constexpr std::uint16_t ExternSheet = 0x0017;
inline constexpr std::uint16_t Name = 0x0018;
inline constexpr std::uint16_t WindowProtect = 0x0019;
inline constexpr std::uint16_t Selection = 0x001D;
inline constexpr std::uint16_t DateMode = 0x0022;
inline constexpr std::uint16_t ExternName = 0x0023;
inline constexpr std::uint16_t PrintHeaders = 0x002A;
inline constexpr std::uint16_t PrintGridlines = 0x002B;
inline constexpr std::uint16_t FilePass = 0x002F;
inline constexpr std::uint16_t Font = 0x0031;
inline constexpr std::uint16_t Continue = 0x003C;
inline constexpr std::uint16_t Window1 = 0x003D;
inline constexpr std::uint16_t Backup = 0x0040;
inline constexpr std::uint16_t Pane = 0x0041;
inline constexpr std::uint16_t CodePage = 0x0042;
inline constexpr std::uint16_t DefColWidth = 0x0055;
inline constexpr std::uint16_t Xct = 0x0059;
inline constexpr std::uint16_t Crn = 0x005A;
inline constexpr std::uint16_t WriteAccess = 0x005C;
inline constexpr std::uint16_t SaveRecalc = 0x005F;
inline constexpr std::uint16_t ColInfo = 0x007D;
inline constexpr std::uint16_t Guts = 0x0080;
inline constexpr std::uint16_t WsBool = 0x0081;
inline constexpr std::uint16_t GridSet = 0x0082;
inline constexpr std::uint16_t HCenter = 0x0083;
inline constexpr std::uint16_t VCenter = 0x0084;
inline constexpr std::uint16_t BoundSheet = 0x0085;
inline constexpr std::uint16_t Country = 0x008C;
inline constexpr std::uint16_t HideObj = 0x008D;
inline constexpr std::uint16_t FnGroupCount = 0x009C;
inline constexpr std::uint16_t Scl = 0x00A0;
inline constexpr std::uint16_t Setup = 0x00A1;
inline constexpr std::uint16_t MulRk = 0x00BD;
inline constexpr std::uint16_t MulBlank = 0x00BE;
inline constexpr std::uint16_t Mms = 0x00C1;
inline constexpr std::uint16_t RString = 0x00D6;
inline constexpr std::uint16_t DbCell = 0x00D7;
inline constexpr std::uint16_t BookBool = 0x00DA;
inline constexpr std::uint16_t Xf = 0x00E0;
inline constexpr std::uint16_t InterfaceHdr = 0x00E1;
inline constexpr std::uint16_t InterfaceEnd = 0x00E2;
inline constexpr std::uint16_t MergedCells = 0x00E5;
inline constexpr std::uint16_t Sst = 0x00FC;
inline constexpr std::uint16_t LabelSst = 0x00FD;
inline constexpr std::uint16_t ExtSst = 0x00FF;
inline constexpr std::uint16_t RrdHead = 0x0138;
inline constexpr std::uint16_t TabId = 0x013D;
inline constexpr std::uint16_t UsesElfs = 0x0160;
inline constexpr std::uint16_t Dsf = 0x0161;
inline constexpr std::uint16_t UsrExcl = 0x0194;
inline constexpr std::uint16_t FileLock = 0x0195;
inline constexpr std::uint16_t RrdInfo = 0x0196;
inline constexpr std::uint16_t SupBook = 0x01AE;
inline constexpr std::uint16_t Prot4Rev = 0x01AF;
inline constexpr std::uint16_t DVal = 0x01B2;
inline constexpr std::uint16_t RefreshAll = 0x01B7;
inline constexpr std::uint16_t HLink = 0x01B8;
inline constexpr std::uint16_t Prot4RevPass = 0x01BC;
inline constexpr std::uint16_t Dimensions = 0x0200;
inline constexpr std::uint16_t Blank = 0x0201;
inline constexpr std::uint16_t Number = 0x0203;
inline constexpr std::uint16_t Label = 0x0204;
inline constexpr std::uint16_t BoolErr = 0x0205;
inline constexpr std::uint16_t String = 0x0207;
inline constexpr std::uint16_t Row = 0x0208;
inline constexpr std::uint16_t Index = 0x020B;
inline constexpr std::uint16_t Array = 0x0221;
inline constexpr std::uint16_t DefaultRowHeight = 0x0225;
inline constexpr std::uint16_t Table = 0x0236;
inline constexpr std::uint16_t Window2 = 0x023E;
inline constexpr std::uint16_t Rk = 0x027E;
inline constexpr std::uint16_t Style = 0x0293;
inline constexpr std::uint16_t Format = 0x041E;
inline constexpr std::uint16_t ShrFmla = 0x04BC;
inline constexpr std::uint16_t HLinkTooltip = 0x0800;
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
// "record" for an id this table does not hold.
const char* recordName(std::uint16_t id);

}  // namespace xls::biff
