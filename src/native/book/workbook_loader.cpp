#include <algorithm>

#include "native/biff/biff_error.h"
#include "native/biff/globals.h"
#include "native/biff/record_ids.h"
#include "native/book/layout.h"
#include "native/book/raw_units.h"
#include "native/book/record_writer.h"
#include "native/book/sheet_access.h"
#include "native/book/workbook.h"
#include "native/io/byte_reader.h"

namespace xls::book {

namespace {

bool isLinkRecord(std::uint16_t id) {
    return id == biff::rec::SupBook || id == biff::rec::ExternName || id == biff::rec::Xct ||
           id == biff::rec::Crn || id == biff::rec::ExternSheet || id == biff::rec::Name;
}

std::size_t slotIndex(const std::vector<GlobalsItem>& items, GlobalsSlot slot) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].slot == slot) return i;
    return items.size();
}

}  // namespace

Workbook Workbook::fromStream(std::vector<std::uint8_t> bytes, bool decrypted) {
    // Kept while rows of the sheets are still to be read from it.
    auto loaded = std::make_shared<LoadedBook>();
    loaded->stream = std::move(bytes);
    loaded->globals = biff::parseGlobals(loaded->stream, decrypted);
    const std::vector<std::uint8_t>& stream = loaded->stream;
    const biff::Globals& g = loaded->globals;
    if (g.biffVersion != 8) {
        // The model writes its records back beside the ones it keeps raw,
        // and those of a BIFF5 stream would not read as BIFF8.
        throw biff::UnsupportedVersionError(g.biffVersion, 0x0500,
                                            "BIFF5/7 workbook: only BIFF8 workbooks can be edited");
    }
    Workbook wb;
    GlobalsLayout& layout = *wb.layout_;
    wb.codepage_ = g.codepage;
    wb.date1904_ = g.date1904;
    wb.fonts_ = g.fonts;
    wb.formats_ = g.formats;

    std::vector<RawUnit> units = unitsOf(stream, g.records);
    auto& items = layout.items;
    items.reserve(units.size());
    std::size_t nameCount = 0;
    auto addSlot = [&](GlobalsSlot slot) {
        if (slotIndex(items, slot) == items.size()) items.push_back({slot, {}});
    };
    for (auto& unit : units) {
        const std::uint16_t id = rawId(unit);
        const auto body = bodyOf(unit);
        switch (id) {
            case biff::rec::FilePass:
                continue;  // the stream is written deciphered
            case biff::rec::Format:
                addSlot(GlobalsSlot::Formats);
                if (body.size() >= 2)
                    layout.formatRecords.emplace_back(io::le16(body.data()), std::move(unit));
                continue;
            case biff::rec::Xf:
                addSlot(GlobalsSlot::Xfs);
                wb.xfs_.push_back(parseXf(body));
                continue;
            case biff::rec::BoundSheet:
                addSlot(GlobalsSlot::BoundSheets);
                continue;
            case biff::rec::Sst:
            case biff::rec::ExtSst:
                addSlot(GlobalsSlot::Sst);
                continue;
            case biff::rec::Window1:
                if (slotIndex(items, GlobalsSlot::Window1) == items.size()) {
                    if (body.size() >= 12) wb.activeSheet_ = io::le16(body.data() + 10);
                    items.push_back({GlobalsSlot::Window1, std::move(unit)});
                    continue;
                }
                break;
            default:
                break;
        }
        if (isLinkRecord(id)) {
            addSlot(GlobalsSlot::LinkTable);
            if (id == biff::rec::SupBook) {
                layout.supbooks.push_back({std::move(unit)});
            } else if (id == biff::rec::Name) {
                layout.nameRecords.push_back(std::move(unit));
                ++nameCount;
            } else if (id != biff::rec::ExternSheet) {
                if (layout.supbooks.empty())
                    throw BookError("an external name or cached value comes before any SUPBOOK");
                layout.supbooks.back().push_back(std::move(unit));
            }
            continue;
        }
        items.push_back({GlobalsSlot::Raw, std::move(unit)});
    }
    if (nameCount != g.names.size())
        throw BookError("read " + std::to_string(g.names.size()) + " names from " +
                        std::to_string(nameCount) + " NAME records");
    if (layout.supbooks.size() != g.supbooks.size())
        throw BookError("SUPBOOK records do not match the link table read");
    for (const auto& s : g.supbooks) layout.supbookKinds.push_back(s.kind);
    layout.xti = g.externSheet;
    for (const biff::DefinedName& d : g.names) {
        Name n;
        n.name = d.name;
        n.builtin = d.builtin;
        n.hidden = d.hidden;
        n.isFunction = d.isFunction;
        if (d.sheetIndex != 0) n.scope = d.sheetIndex - 1;
        n.rgce = d.rgce;
        wb.names_.push_back(std::move(n));
    }

    // Groups the file lacks go where the application puts them.
    if (slotIndex(items, GlobalsSlot::BoundSheets) == items.size())
        throw BookError("the workbook globals list no sheets");
    if (slotIndex(items, GlobalsSlot::Formats) == items.size()) {
        const std::size_t xfs = slotIndex(items, GlobalsSlot::Xfs);
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(std::min(xfs, items.size() - 1)),
                     {GlobalsSlot::Formats, {}});
    }
    if (slotIndex(items, GlobalsSlot::Xfs) == items.size()) {
        const std::size_t formats = slotIndex(items, GlobalsSlot::Formats);
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(formats + 1),
                     {GlobalsSlot::Xfs, {}});
    }
    if (slotIndex(items, GlobalsSlot::LinkTable) == items.size()) {
        std::size_t at = slotIndex(items, GlobalsSlot::BoundSheets) + 1;
        if (at < items.size() && items[at].slot == GlobalsSlot::Raw &&
            rawId(items[at].raw) == biff::rec::Country)
            ++at;
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), {GlobalsSlot::LinkTable, {}});
    }
    if (slotIndex(items, GlobalsSlot::Sst) == items.size())
        items.insert(items.end() - 1, {GlobalsSlot::Sst, {}});

    for (std::size_t i = 0; i < g.sheets.size(); ++i)
        wb.sheets_.push_back(SheetAccess::load(wb, stream, g, i, loaded));
    if (wb.sheets_.empty()) throw BookError("the workbook has no sheets");
    if (wb.activeSheet_ >= wb.sheets_.size()) wb.activeSheet_ = 0;
    return wb;
}

}  // namespace xls::book
