#include "native/xlsx/styles.h"

#include "native/xlsx/cell_text.h"

namespace xls::xlsx {

namespace {

// Format ids and indexes are small numbers; anything else reads as 0, the
// General format.
std::uint16_t smallNumber(std::optional<std::string_view> text) {
    if (!text) return 0;
    auto v = numberOf(*text);
    if (!v || *v < 0 || *v > 0xFFFF || *v != static_cast<std::uint16_t>(*v)) return 0;
    return static_cast<std::uint16_t>(*v);
}

}  // namespace

void readStyles(const Element& styleSheet, biff::Globals& globals) {
    if (const Element* formats = styleSheet.child("numFmts"))
        for (const Element* f : formats->childrenNamed("numFmt"))
            if (auto code = f->attribute("formatCode"))
                globals.formats[smallNumber(f->attribute("numFmtId"))] = unescapedText(*code);
    if (const Element* xfs = styleSheet.child("cellXfs")) {
        for (const Element* x : xfs->childrenNamed("xf")) {
            biff::Xf xf;
            xf.format = smallNumber(x->attribute("numFmtId"));
            globals.xfs.push_back(xf);
            if (globals.xfs.size() > 0xFFFF) break;
        }
    }
}

}  // namespace xls::xlsx
