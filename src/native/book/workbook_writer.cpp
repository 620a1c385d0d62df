#include <algorithm>
#include <set>

#include "native/biff/record_ids.h"
#include "native/book/layout.h"
#include "native/book/raw_units.h"
#include "native/book/record_writer.h"
#include "native/book/sheet_access.h"
#include "native/book/string_table.h"
#include "native/book/workbook.h"
#include "native/io/byte_reader.h"
#include "native/text/unicode.h"

namespace xls::book {

namespace {

void writeFormats(std::vector<std::uint8_t>& out, const GlobalsLayout& layout,
                  const std::map<std::uint16_t, std::string>& formats) {
    std::set<std::uint16_t> written;
    for (const auto& [id, raw] : layout.formatRecords) {
        auto it = formats.find(id);
        if (it == formats.end() || !written.insert(id).second) continue;
        out.insert(out.end(), raw.begin(), raw.end());
    }
    for (const auto& [id, code] : formats) {
        if (written.count(id) != 0) continue;
        const std::size_t at = beginRecord(out, biff::rec::Format);
        ByteWriter w(out);
        w.u16(id);
        putUnicodeString(w, text::utf8ToUtf16(code));
        endRecord(out, at);
    }
}

void writeXfs(std::vector<std::uint8_t>& out, const std::vector<CellStyle>& xfs) {
    if (xfs.size() > kMaxXfs)
        throw BookError(std::to_string(xfs.size()) + " cell formats, more than a workbook holds");
    for (const CellStyle& s : xfs) putRecord(out, biff::rec::Xf, writeXf(s));
}

// Data longer than one record goes on in CONTINUE records.
void putContinued(std::vector<std::uint8_t>& out, std::uint16_t id,
                  std::span<const std::uint8_t> data) {
    std::size_t done = std::min(data.size(), kMaxRecordData);
    putRecord(out, id, data.first(done));
    while (done < data.size()) {
        const std::size_t n = std::min(data.size() - done, kMaxRecordData);
        putRecord(out, biff::rec::Continue, data.subspan(done, n));
        done += n;
    }
}

void writeName(std::vector<std::uint8_t>& out, const Name& n) {
    std::vector<std::uint8_t> body;
    ByteWriter w(body);
    std::uint16_t flags = 0;
    if (n.hidden) flags |= 0x0001;
    if (n.isFunction) flags |= 0x0002;
    if (n.builtin) flags |= 0x0020;
    std::u16string units = text::utf8ToUtf16(n.name);
    w.u16(flags);
    w.u8(0);  // chKey
    w.u8(static_cast<std::uint8_t>(n.builtin ? 1 : units.size()));
    w.u16(static_cast<std::uint16_t>(n.rgce.size()));
    w.u16(0);
    w.u16(static_cast<std::uint16_t>(n.scope ? *n.scope + 1 : 0));
    w.u32(0);  // menu, description, help and status text: none
    if (n.builtin) {
        // Built-in names made by the model are not supported; kept ones
        // keep their record. A one-byte code is all the record can hold.
        w.u8(0);
        w.u8(0);
    } else {
        putUnicodeChars(w, units);
    }
    w.bytes(n.rgce);
    putContinued(out, biff::rec::Name, body);
}

void writeLinkTable(std::vector<std::uint8_t>& out, const GlobalsLayout& layout,
                    const std::vector<Name>& names, std::size_t sheetCount) {
    for (std::size_t i = 0; i < layout.supbooks.size(); ++i) {
        for (std::size_t k = 0; k < layout.supbooks[i].size(); ++k) {
            const RawUnit& u = layout.supbooks[i][k];
            const std::size_t at = out.size();
            out.insert(out.end(), u.begin(), u.end());
            // The own SUPBOOK counts the sheets.
            if (k == 0 && layout.supbookKinds[i] == biff::SupBook::Kind::Self && u.size() >= 8 &&
                io::le16(u.data() + 6) == biff::SupBook::kSelfMarker)
                patch16(out, at + 4, static_cast<std::uint16_t>(sheetCount));
        }
    }
    if (!layout.xti.empty()) {
        std::vector<std::uint8_t> body;
        ByteWriter w(body);
        w.u16(static_cast<std::uint16_t>(layout.xti.size()));
        for (const auto& x : layout.xti) {
            w.u16(x.supBook);
            w.u16(static_cast<std::uint16_t>(x.firstSheet));
            w.u16(static_cast<std::uint16_t>(x.lastSheet));
        }
        putContinued(out, biff::rec::ExternSheet, body);
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const RawUnit& raw = layout.nameRecords[i];
        if (raw.empty()) {
            writeName(out, names[i]);
            continue;
        }
        const std::size_t at = out.size();
        out.insert(out.end(), raw.begin(), raw.end());
        if (raw.size() >= 4 + 10)
            patch16(out, at + 4 + 8,
                    static_cast<std::uint16_t>(names[i].scope ? *names[i].scope + 1 : 0));
    }
}

void writeBoundSheet(std::vector<std::uint8_t>& out, const Sheet& sheet, const SheetLayout& layout,
                     std::vector<std::size_t>& plyPos) {
    const std::size_t at = beginRecord(out, biff::rec::BoundSheet);
    ByteWriter w(out);
    plyPos.push_back(out.size());
    w.u32(0);
    w.u8(static_cast<std::uint8_t>((layout.hsState & 0xFC) |
                                   static_cast<std::uint8_t>(sheet.visibility())));
    w.u8(static_cast<std::uint8_t>(sheet.kind()));
    putShortUnicodeString(w, text::utf8ToUtf16(sheet.name()));
    endRecord(out, at);
}

}  // namespace

std::vector<std::uint8_t> Workbook::serialize() const {
    const GlobalsLayout& layout = *layout_;
    StringTable strings;
    std::size_t cellCount = 0;
    for (const auto& s : sheets_) {
        cellCount += s->cells().size();
        s->cells().forEachTelling([&](const Cell& c, bool lasting) {
            if (c.kind == Cell::Kind::Text) strings.add(c.text.view(), lasting);
        });
    }

    // The globals are a small part; the string table is about its texts'
    // size, in UTF-16 at most.
    std::size_t hint = 65536 + cellCount * 2;
    for (const auto& s : sheets_) hint += SheetAccess::sizeHint(*s);
    std::vector<std::uint8_t> out;
    out.reserve(hint + strings.sizeHint());
    std::vector<std::size_t> plyPos;
    std::size_t selectedTabs = 0;
    for (const auto& s : sheets_)
        if (s->tabSelected()) ++selectedTabs;
    for (const GlobalsItem& item : layout.items) {
        switch (item.slot) {
            case GlobalsSlot::Raw:
                out.insert(out.end(), item.raw.begin(), item.raw.end());
                break;
            case GlobalsSlot::Formats:
                writeFormats(out, layout, formats_);
                break;
            case GlobalsSlot::Xfs:
                writeXfs(out, xfs_);
                break;
            case GlobalsSlot::BoundSheets:
                for (const auto& s : sheets_)
                    writeBoundSheet(out, *s, SheetAccess::layout(*s), plyPos);
                break;
            case GlobalsSlot::LinkTable:
                writeLinkTable(out, layout, names_, sheets_.size());
                break;
            case GlobalsSlot::Sst:
                strings.write(out, 0);
                break;
            case GlobalsSlot::Window1: {
                const std::size_t at = out.size();
                out.insert(out.end(), item.raw.begin(), item.raw.end());
                if (item.raw.size() >= 4 + 16) {
                    patch16(out, at + 4 + 10, static_cast<std::uint16_t>(activeSheet_));
                    if (io::le16(out.data() + at + 4 + 12) >= sheets_.size())
                        patch16(out, at + 4 + 12, 0);
                    patch16(out, at + 4 + 14,
                            static_cast<std::uint16_t>(std::max<std::size_t>(1, selectedTabs)));
                }
                break;
            }
        }
    }
    if (plyPos.size() != sheets_.size())
        throw BookError("globals wrote " + std::to_string(plyPos.size()) + " sheet entries for " +
                        std::to_string(sheets_.size()) + " sheets");

    std::vector<std::size_t> offsets;
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        offsets.push_back(out.size());
        if (out.size() > 0xFFFFFFFFu) throw BookError("workbook stream over 4 GB");
        patch32(out, plyPos[i], static_cast<std::uint32_t>(out.size()));
        SheetAccess::write(out, *sheets_[i], strings, i == activeSheet_);
    }
    offsets.push_back(out.size());
    // What the sheet list points at must be each sheet's BOF.
    for (std::size_t i = 0; i < sheets_.size(); ++i) {
        const std::size_t at = offsets[i];
        const bool bof = at + 4 <= out.size() && io::le16(out.data() + at) == biff::rec::Bof &&
                         io::le32(out.data() + plyPos[i]) == at;
        const bool empty = offsets[i + 1] == at;
        if (!bof && !empty)
            throw BookError("sheet \"" + sheets_[i]->name() + "\" was not written at its offset");
    }
    return out;
}

}  // namespace xls::book
