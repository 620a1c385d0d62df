#pragma once

#include <cstdint>
#include <vector>

#include "native/biff/globals.h"

// Where the records the model regenerates go among those it keeps raw.
namespace xls::book {

// Record ids the writing side names beyond those the reader knows.
namespace rid {
inline constexpr std::uint16_t Bof = 0x0809;
inline constexpr std::uint16_t Eof = 0x000A;
inline constexpr std::uint16_t Continue = 0x003C;
inline constexpr std::uint16_t Formula = 0x0006;
inline constexpr std::uint16_t String = 0x0207;
inline constexpr std::uint16_t ShrFmla = 0x04BC;
inline constexpr std::uint16_t Array = 0x0221;
inline constexpr std::uint16_t Table = 0x0236;
inline constexpr std::uint16_t Row = 0x0208;
inline constexpr std::uint16_t DbCell = 0x00D7;
inline constexpr std::uint16_t Index = 0x020B;
inline constexpr std::uint16_t Dimensions = 0x0200;
inline constexpr std::uint16_t ColInfo = 0x007D;
inline constexpr std::uint16_t MergedCells = 0x00E5;
inline constexpr std::uint16_t HLink = 0x01B8;
inline constexpr std::uint16_t HLinkTooltip = 0x0800;
inline constexpr std::uint16_t Selection = 0x001D;
inline constexpr std::uint16_t Window2 = 0x023E;
inline constexpr std::uint16_t Pane = 0x0041;
inline constexpr std::uint16_t Scl = 0x00A0;
inline constexpr std::uint16_t DefColWidth = 0x0055;
inline constexpr std::uint16_t DefaultRowHeight = 0x0225;
inline constexpr std::uint16_t DVal = 0x01B2;
inline constexpr std::uint16_t Number = 0x0203;
inline constexpr std::uint16_t Rk = 0x027E;
inline constexpr std::uint16_t MulRk = 0x00BD;
inline constexpr std::uint16_t Label = 0x0204;
inline constexpr std::uint16_t LabelSst = 0x00FD;
inline constexpr std::uint16_t RString = 0x00D6;
inline constexpr std::uint16_t BoolErr = 0x0205;
inline constexpr std::uint16_t Blank = 0x0201;
inline constexpr std::uint16_t MulBlank = 0x00BE;
// Globals.
inline constexpr std::uint16_t FilePass = 0x002F;
inline constexpr std::uint16_t Font = 0x0031;
inline constexpr std::uint16_t Format = 0x041E;
inline constexpr std::uint16_t Xf = 0x00E0;
inline constexpr std::uint16_t Style = 0x0293;
inline constexpr std::uint16_t BoundSheet = 0x0085;
inline constexpr std::uint16_t Country = 0x008C;
inline constexpr std::uint16_t SupBook = 0x01AE;
inline constexpr std::uint16_t ExternName = 0x0023;
inline constexpr std::uint16_t Xct = 0x0059;
inline constexpr std::uint16_t Crn = 0x005A;
inline constexpr std::uint16_t ExternSheet = 0x0017;
inline constexpr std::uint16_t Name = 0x0018;
inline constexpr std::uint16_t Sst = 0x00FC;
inline constexpr std::uint16_t ExtSst = 0x00FF;
inline constexpr std::uint16_t Window1 = 0x003D;
inline constexpr std::uint16_t CodePage = 0x0042;
inline constexpr std::uint16_t DateMode = 0x0022;
}  // namespace rid

// One record as stored (header included) with the CONTINUE records that
// follow it.
using RawUnit = std::vector<std::uint8_t>;

enum class SheetSlot : std::uint8_t {
    Raw,
    ColInfo,
    Dimensions,
    Cells,
    Merged,
    Hyperlinks,
    ActiveSelection,  // raw holds the record as read, if any
    Window2,          // raw holds the record, flags patched on write
};

struct SheetItem {
    SheetSlot slot = SheetSlot::Raw;
    RawUnit raw;
};

struct SheetLayout {
    // Worksheets: the records in order with the regenerated groups marked.
    std::vector<SheetItem> items;
    // Other sheet kinds: the substream exactly as read (BOF to EOF).
    RawUnit substream;
    std::uint8_t activePane = 3;
    // BOUNDSHEET hsState byte as read: visibility and reserved bits.
    std::uint8_t hsState = 0;
    std::uint8_t dt = 0;
};

enum class GlobalsSlot : std::uint8_t {
    Raw,
    Formats,
    Xfs,
    BoundSheets,
    LinkTable,  // SUPBOOK (+EXTERNNAME, XCT, CRN), EXTERNSHEET, NAME
    Sst,        // SST and EXTSST
    Window1,    // raw holds the record, active tab patched on write
};

struct GlobalsItem {
    GlobalsSlot slot = GlobalsSlot::Raw;
    RawUnit raw;
};

struct GlobalsLayout {
    std::vector<GlobalsItem> items;
    // FORMAT records as read, by id, so unchanged formats keep their bytes.
    std::vector<std::pair<std::uint16_t, RawUnit>> formatRecords;
    // SUPBOOK records with their EXTERNNAME/XCT/CRN, one unit group each.
    std::vector<std::vector<RawUnit>> supbooks;
    std::vector<biff::SupBook::Kind> supbookKinds;
    std::vector<biff::XtiEntry> xti;
    // NAME records as read, parallel to Workbook::names_ (empty for names
    // made by the model).
    std::vector<RawUnit> nameRecords;
};

}  // namespace xls::book
