#include <array>

#include "native/biff/continue_reader.h"
#include "native/biff/globals_records.h"
#include "native/io/byte_reader.h"
#include "native/text/hex.h"

namespace xls::biff {

const char* builtinNameText(std::uint8_t n) {
    static constexpr std::array<const char*, 14> kNames{
        "Consolidate_Area", "Auto_Open",       "Auto_Close",   "Extract",        "Database",
        "Criteria",         "Print_Area",      "Print_Titles", "Recorder",       "Data_Form",
        "Auto_Activate",    "Auto_Deactivate", "Sheet_Title",  "_FilterDatabase"};
    return n < kNames.size() ? kNames[n] : nullptr;
}

namespace detail {

NameHead readNameHead(ContinueReader& in) {
    NameHead head;
    DefinedName& n = head.name;
    const std::uint16_t flags = in.u16();
    n.hidden = (flags & 0x0001) != 0;
    n.isFunction = (flags & 0x0002) != 0;
    n.builtin = (flags & 0x0020) != 0;
    in.u8();  // chKey: keyboard shortcut of a macro
    head.cch = in.u8();
    head.cce = in.u16();
    in.skip(2);  // ixals: only external names use it
    n.sheetIndex = in.u16();
    in.skip(4);  // lengths of menu, description, help and status texts: unused
    return head;
}

std::string builtinName(std::uint16_t number) {
    const char* text =
        number <= 0xFF ? builtinNameText(static_cast<std::uint8_t>(number)) : nullptr;
    if (text != nullptr) return text;
    return "Builtin_" + text::hexNumber(number, 2);
}

// NAME (Lbl): a defined name and its formula. The formula tokens are kept
// unparsed; the formula layer reads them against the EXTERNSHEET table.
void parse_name(Globals& g, const RecordBody& r) {
    ContinueReader in(r.parts);
    auto [n, cch, cce] = readNameHead(in);
    if (n.builtin) {
        // The name is a single character: the built-in name's number.
        const bool high = (in.u8() & 0x01) != 0;
        if (cch == 0) throw io::ReadPastEnd("built-in name without its number");
        n.name = builtinName(high ? in.u16() : in.u8());
        if (cch > 1) in.characters(cch - 1u, high);
    } else {
        n.name = in.unicodeStringNoCch(cch);
    }
    in.appendBytes(cce, n.rgce);
    g.names.push_back(std::move(n));
}

}  // namespace detail
}  // namespace xls::biff
