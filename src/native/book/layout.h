#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "native/biff/globals.h"

// Where the records the model regenerates go among those it keeps raw.
namespace xls::book {

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

struct LoadedBook;

// Records kept raw are bytes of the sheet's layout: a run of records no
// one looks into is one item, so that a sheet of millions of small records
// costs its bytes and not a vector each.
struct SheetItem {
    SheetSlot slot = SheetSlot::Raw;
    std::uint32_t offset = 0;  // in SheetLayout::bytes()
    std::uint32_t size = 0;
};

struct SheetLayout {
    // Worksheets: the records in order with the regenerated groups marked.
    std::vector<SheetItem> items;
    // The items' bytes: copied out, or, where the records kept raw are most
    // of the stream, the stream itself, held.
    std::vector<std::uint8_t> copied;
    std::shared_ptr<const LoadedBook> held;
    std::span<const std::uint8_t> bytes() const;
    std::span<const std::uint8_t> raw(const SheetItem& item) const {
        return bytes().subspan(item.offset, item.size);
    }
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
