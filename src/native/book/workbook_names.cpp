#include <algorithm>

#include "native/biff/record_ids.h"
#include "native/book/layout.h"
#include "native/book/record_writer.h"
#include "native/book/sheet_access.h"
#include "native/book/workbook.h"
#include "native/formula/name_formula.h"
#include "native/formula/ptg.h"
#include "native/formula/sheet_ref_token.h"
#include "native/text/ascii.h"
#include "native/text/unicode.h"

namespace xls::book {

bool sameName(std::string_view a, std::string_view b);

namespace {

bool isNameChar(char16_t c, bool first) {
    if (c == u'_' || c == u'\\') return true;
    if (c >= 0x80) return c != 0x3000;  // letters of other scripts; not the ideographic blank
    if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return true;
    if (first) return false;
    return (c >= u'0' && c <= u'9') || c == u'.' || c == u'?';
}

// "A1", "$B$2", "IV100", "R1C1", "R", "C": what a name cannot be.
bool readsAsReference(std::u16string_view u, const formula::Grid& grid) {
    std::u16string s;
    for (char16_t c : u)
        if (c != u'$') s.push_back(text::asciiUpper(c));
    if (s == u"R" || s == u"C") return true;
    std::size_t i = 0;
    while (i < s.size() && s[i] >= u'A' && s[i] <= u'Z') ++i;
    std::size_t digits = i;
    while (digits < s.size() && s[digits] >= u'0' && s[digits] <= u'9') ++digits;
    if (i >= 1 && i <= 3 && digits > i && digits == s.size()) {
        // A cell of the workbook's grid: "ANS1" is one only in the larger
        // grid, and a name in the .xls one.
        const auto lastRow = static_cast<std::uint32_t>(grid.lastRow) + 1;
        std::uint32_t col = 0;
        for (std::size_t k = 0; k < i; ++k) col = col * 26 + (s[k] - u'A' + 1);
        std::uint32_t row = 0;
        for (std::size_t k = i; k < digits && row <= lastRow; ++k) row = row * 10 + (s[k] - u'0');
        if (col <= static_cast<std::uint32_t>(grid.lastCol) + 1 && row >= 1 && row <= lastRow)
            return true;
    }
    // R1C1 forms.
    if (!s.empty() && s[0] == u'R') {
        std::size_t k = 1;
        while (k < s.size() && s[k] >= u'0' && s[k] <= u'9') ++k;
        if (k < s.size() && s[k] == u'C') {
            ++k;
            while (k < s.size() && s[k] >= u'0' && s[k] <= u'9') ++k;
            if (k == s.size()) return true;
        }
    }
    return false;
}

void checkDefinedName(const std::string& name, const formula::Grid& grid) {
    const std::u16string u = text::utf8ToUtf16(name);
    if (u.empty() || u.size() > 255)
        throw BookError("name \"" + name + "\" must have 1 to 255 characters");
    for (std::size_t i = 0; i < u.size(); ++i)
        if (!isNameChar(u[i], i == 0))
            throw BookError("name \"" + name + "\" holds a character names cannot have");
    if (readsAsReference(u, grid))
        throw BookError("name \"" + name + "\" reads as a cell reference");
}

std::vector<std::uint8_t> referenceTokens(std::uint16_t ixti, const formula::Area& a) {
    std::vector<std::uint8_t> rgce;
    formula::appendSheetRef(rgce, ixti, a, a.firstRow == a.lastRow && a.firstCol == a.lastCol);
    return rgce;
}

}  // namespace

std::vector<formula::SheetArea> Workbook::nameAreas(std::size_t index) const {
    if (index >= names_.size())
        throw BookError("name " + std::to_string(index) + " does not exist");
    const GlobalsLayout& layout = *layout_;
    formula::NameFormulaContext ctx;
    ctx.sheetRange =
        [&](std::uint16_t ixti) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
        if (ixti >= layout.xti.size()) return std::nullopt;
        const auto& x = layout.xti[ixti];
        if (x.supBook >= layout.supbookKinds.size() ||
            layout.supbookKinds[x.supBook] != biff::SupBook::Kind::Self)
            return std::nullopt;
        if (x.firstSheet < 0 || x.lastSheet < x.firstSheet ||
            static_cast<std::size_t>(x.lastSheet) >= sheets_.size())
            return std::nullopt;
        return std::pair<std::int32_t, std::int32_t>{x.firstSheet, x.lastSheet};
    };
    ctx.formulaOfName = [&](std::uint32_t i) -> std::span<const std::uint8_t> {
        if (i == 0 || i > names_.size()) return {};
        return names_[i - 1].rgce;
    };
    ctx.ownWorkbook = [&](std::uint16_t ixti) {
        return ixti < layout.xti.size() && layout.xti[ixti].supBook < layout.supbookKinds.size() &&
               layout.supbookKinds[layout.xti[ixti].supBook] == biff::SupBook::Kind::Self;
    };
    ctx.grid = grid_;
    return formula::nameFormulaAreas(names_[index].rgce, ctx);
}

std::string Workbook::nameRefersTo(std::size_t index) const {
    if (index >= names_.size())
        throw BookError("name " + std::to_string(index) + " does not exist");
    const GlobalsLayout& layout = *layout_;
    std::vector<std::string> sheetNames;
    for (const auto& s : sheets_) sheetNames.push_back(s->name());
    return formula::nameFormulaText(
        names_[index].rgce,
        [&](std::uint16_t ixti) -> std::optional<std::pair<std::int32_t, std::int32_t>> {
            if (ixti >= layout.xti.size()) return std::nullopt;
            const auto& x = layout.xti[ixti];
            if (x.supBook >= layout.supbookKinds.size() ||
                layout.supbookKinds[x.supBook] != biff::SupBook::Kind::Self || x.firstSheet < 0)
                return std::nullopt;
            return std::pair<std::int32_t, std::int32_t>{x.firstSheet, x.lastSheet};
        },
        sheetNames, grid_);
}

std::optional<std::size_t> Workbook::findName(std::string_view name,
                                              std::optional<std::size_t> sheetScope) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (names_[i].scope == sheetScope && sameName(names_[i].name, name)) return i;
    return std::nullopt;
}

void Workbook::setName(std::string name, std::optional<std::size_t> sheetScope,
                       const formula::SheetArea& area) {
    checkDefinedName(name, grid_);
    if (sheetScope && *sheetScope >= sheets_.size())
        throw BookError("scope sheet " + std::to_string(*sheetScope) + " does not exist");
    if (area.firstSheet < 0 || area.lastSheet < area.firstSheet ||
        static_cast<std::size_t>(area.lastSheet) >= sheets_.size())
        throw BookError("sheets " + std::to_string(area.firstSheet) + "-" +
                        std::to_string(area.lastSheet) + " are not sheets of the workbook");
    const formula::Area& a = area.area;
    // Its tokens hold the rows of the .xls grid alone, whatever the grid.
    if (a.firstRow < 0 || a.firstCol < 0 || a.lastRow > formula::kLastRow ||
        a.lastCol > grid_.lastCol || a.firstRow > a.lastRow || a.firstCol > a.lastCol)
        throw BookError("the name's range is not a range of the grid");

    GlobalsLayout& layout = *layout_;
    std::size_t self = layout.supbookKinds.size();
    for (std::size_t i = 0; i < layout.supbookKinds.size(); ++i)
        if (layout.supbookKinds[i] == biff::SupBook::Kind::Self) {
            self = i;
            break;
        }
    if (self == layout.supbookKinds.size()) {
        // Appended, so the SUPBOOK numbers existing XTIs use stay right.
        RawUnit rec;
        ByteWriter w(rec);
        w.u16(biff::rec::SupBook);
        w.u16(4);
        w.u16(static_cast<std::uint16_t>(sheets_.size()));
        w.u16(biff::SupBook::kSelfMarker);
        layout.supbooks.push_back({std::move(rec)});
        layout.supbookKinds.push_back(biff::SupBook::Kind::Self);
    }
    std::size_t ixti = layout.xti.size();
    for (std::size_t i = 0; i < layout.xti.size(); ++i) {
        const auto& x = layout.xti[i];
        if (x.supBook == self && x.firstSheet == area.firstSheet && x.lastSheet == area.lastSheet) {
            ixti = i;
            break;
        }
    }
    if (ixti == layout.xti.size()) {
        if (ixti >= 0xFFFF) throw BookError("the EXTERNSHEET table is full");
        layout.xti.push_back({static_cast<std::uint16_t>(self),
                              static_cast<std::int16_t>(area.firstSheet),
                              static_cast<std::int16_t>(area.lastSheet)});
    }

    Name n;
    n.name = std::move(name);
    n.scope = sheetScope;
    n.rgce = referenceTokens(static_cast<std::uint16_t>(ixti), a);
    if (auto existing = findName(n.name, sheetScope)) {
        n.hidden = names_[*existing].hidden;
        names_[*existing] = std::move(n);
        layout.nameRecords[*existing].clear();
    } else {
        names_.push_back(std::move(n));
        layout.nameRecords.emplace_back();
    }
}

bool Workbook::deleteName(std::string_view name, std::optional<std::size_t> sheetScope) {
    auto i = findName(name, sheetScope);
    if (!i) return false;
    // tName tokens count names by position: a name used by others stays.
    names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(*i));
    layout_->nameRecords.erase(layout_->nameRecords.begin() + static_cast<std::ptrdiff_t>(*i));
    return true;
}

void Workbook::deleteSheet(std::size_t index) {
    sheet(index);
    std::size_t visible = 0;
    for (const auto& s : sheets_)
        if (s->visibility() == biff::Visibility::Visible) ++visible;
    if (sheets_.size() == 1 ||
        (visible == 1 && sheets_[index]->visibility() == biff::Visibility::Visible))
        throw BookError("a workbook must keep at least one visible sheet");

    GlobalsLayout& layout = *layout_;
    const auto k = static_cast<std::int16_t>(index);
    std::vector<bool> goneXti(layout.xti.size(), false);
    for (std::size_t i = 0; i < layout.xti.size(); ++i) {
        auto& x = layout.xti[i];
        if (x.supBook >= layout.supbookKinds.size() ||
            layout.supbookKinds[x.supBook] != biff::SupBook::Kind::Self || x.firstSheet < 0)
            continue;
        if (x.firstSheet == k && x.lastSheet == k) {
            x.firstSheet = x.lastSheet = -1;  // the sheet is gone
            goneXti[i] = true;
            continue;
        }
        if (x.firstSheet > k) --x.firstSheet;
        if (x.lastSheet >= k) --x.lastSheet;
    }

    // Names of the sheet go; a name that is one reference to it becomes
    // #REF! (tRefErr3d / tAreaErr3d have the size of what they replace).
    std::vector<Name> names;
    std::vector<RawUnit> raws;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        Name n = std::move(names_[i]);
        RawUnit raw = std::move(layout.nameRecords[i]);
        if (n.scope && *n.scope == index) continue;
        if (n.scope && *n.scope > index) --*n.scope;
        if ((n.rgce.size() == 7 || n.rgce.size() == 11) &&
            (formula::ptg::baseId(n.rgce[0]) == formula::ptg::kRef3d ||
             formula::ptg::baseId(n.rgce[0]) == formula::ptg::kArea3d)) {
            const std::uint16_t ixti = static_cast<std::uint16_t>(n.rgce[1] | (n.rgce[2] << 8));
            if (ixti < goneXti.size() && goneXti[ixti]) {
                n.rgce[0] = static_cast<std::uint8_t>(n.rgce[0] + 2);  // 0x3A->0x3C, 0x3B->0x3D
                raw.clear();
            }
        }
        names.push_back(std::move(n));
        raws.push_back(std::move(raw));
    }
    names_ = std::move(names);
    layout.nameRecords = std::move(raws);

    const bool activeGone = activeSheet_ == index;
    sheets_.erase(sheets_.begin() + static_cast<std::ptrdiff_t>(index));
    if (activeSheet_ > index || activeSheet_ == sheets_.size()) --activeSheet_;
    if (activeGone || sheets_[activeSheet_]->visibility() != biff::Visibility::Visible) {
        for (std::size_t i = 0; i < sheets_.size(); ++i)
            if (sheets_[i]->visibility() == biff::Visibility::Visible) {
                activeSheet_ = i;
                break;
            }
    }
    sheets_[activeSheet_]->setTabSelected(true);
}

}  // namespace xls::book
