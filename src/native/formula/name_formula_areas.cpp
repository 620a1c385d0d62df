#include "native/formula/name_formula.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "native/formula/ptg.h"
#include "native/formula/sheet_ref_token.h"
#include "native/io/byte_reader.h"

namespace xls::formula {

namespace {

// tMem* tokens nest a sub-expression; real files nest one level. The cap
// keeps hostile bytes from recursing deeply.
constexpr int kMaxNesting = 8;

// Real workbooks build names from names a few levels deep; the cap bounds the
// recursion whatever chain a file describes.
constexpr int kMaxNameDepth = 16;

// Each area made, copied or compared costs one unit. A name used over and
// over, or intersections of long unions, would otherwise let a few hundred
// bytes ask for billions of areas.
constexpr std::uint64_t kWorkBudget = std::uint64_t{1} << 20;

using Areas = std::vector<SheetArea>;

// No operator makes a range out of a part that is none, so the first such
// part settles the whole formula; it never leaves this file.
struct NoRange {};

bool onSameSheets(const SheetArea& a, const SheetArea& b) {
    return a.firstSheet == b.firstSheet && a.lastSheet == b.lastSheet;
}

// Intersection and range operators between different sheets are #VALUE!
// in the application.
void requireOneSheetSpan(const Areas& left, const Areas& right) {
    const SheetArea& first = left.front();
    for (const Areas* side : {&left, &right})
        for (const SheetArea& a : *side)
            if (!onSameSheets(a, first)) throw NoRange{};
}

Areas intersection(const Areas& left, const Areas& right) {
    requireOneSheetSpan(left, right);
    Areas overlaps;
    for (const SheetArea& l : left) {
        for (const SheetArea& r : right) {
            const Area a{std::max(l.area.firstRow, r.area.firstRow),
                         std::max(l.area.firstCol, r.area.firstCol),
                         std::min(l.area.lastRow, r.area.lastRow),
                         std::min(l.area.lastCol, r.area.lastCol)};
            if (a.firstRow <= a.lastRow && a.firstCol <= a.lastCol)
                overlaps.push_back(SheetArea{l.firstSheet, l.lastSheet, a});
        }
    }
    // Nothing shared is #NULL!, no range.
    if (overlaps.empty()) throw NoRange{};
    return overlaps;
}

Areas boundingBox(const Areas& left, const Areas& right) {
    requireOneSheetSpan(left, right);
    SheetArea box = left.front();
    for (const Areas* side : {&left, &right}) {
        for (const SheetArea& a : *side) {
            box.area.firstRow = std::min(box.area.firstRow, a.area.firstRow);
            box.area.firstCol = std::min(box.area.firstCol, a.area.firstCol);
            box.area.lastRow = std::max(box.area.lastRow, a.area.lastRow);
            box.area.lastCol = std::max(box.area.lastCol, a.area.lastCol);
        }
    }
    return {box};
}

Areas pop(std::vector<Areas>& stack) {
    if (stack.empty()) throw NoRange{};
    Areas top = std::move(stack.back());
    stack.pop_back();
    return top;
}

class Evaluator {
  public:
    explicit Evaluator(const NameFormulaContext& context) : context_(context) {}

    Areas formula(std::span<const std::uint8_t> rgce) { return expression(rgce, 0, 0); }

  private:
    Areas expression(std::span<const std::uint8_t> rgce, int nesting, int nameDepth);
    Areas nested(io::ByteReader& r, std::uint16_t cce, int nesting, int nameDepth);
    Areas reference(const SheetRef& ref);
    Areas name(std::uint32_t index, int nameDepth);
    void spend(std::uint64_t units);

    const NameFormulaContext& context_;
    // Names already evaluated: a name's areas do not depend on where it is
    // used, and each is read once however often the formulas mention it.
    std::map<std::uint32_t, Areas> resolved_;
    // Names whose formulas are being read; meeting one again is a cycle.
    std::set<std::uint32_t> open_;
    std::uint64_t spent_ = 0;
};

void Evaluator::spend(std::uint64_t units) {
    spent_ += units;
    if (spent_ > kWorkBudget) throw NoRange{};
}

Areas Evaluator::reference(const SheetRef& ref) {
    if (ref.deleted) throw NoRange{};
    const auto sheets = context_.sheetRange ? context_.sheetRange(ref.ixti) : std::nullopt;
    if (!sheets || sheets->first < 0 || sheets->second < sheets->first) throw NoRange{};
    spend(1);
    return {SheetArea{sheets->first, sheets->second, ref.area}};
}

Areas Evaluator::name(std::uint32_t index, int nameDepth) {
    if (auto found = resolved_.find(index); found != resolved_.end()) {
        spend(found->second.size());
        return found->second;
    }
    if (nameDepth >= kMaxNameDepth || !context_.formulaOfName || !open_.insert(index).second)
        throw NoRange{};
    Areas areas = expression(context_.formulaOfName(index), 0, nameDepth + 1);
    open_.erase(index);
    spend(areas.size());
    return resolved_.emplace(index, std::move(areas)).first->second;
}

Areas Evaluator::nested(io::ByteReader& r, std::uint16_t cce, int nesting, int nameDepth) {
    if (nesting >= kMaxNesting) throw NoRange{};
    return expression(r.bytes(cce), nesting + 1, nameDepth);
}

Areas Evaluator::expression(std::span<const std::uint8_t> rgce, int nesting, int nameDepth) {
    io::ByteReader r(rgce);
    std::vector<Areas> stack;
    while (!r.atEnd()) {
        const std::uint8_t id = ptg::baseId(r.u8());
        if (isSheetRefToken(id)) {
            const std::optional<SheetRef> ref = readSheetRef(r, id, context_.grid);
            if (!ref) throw NoRange{};
            stack.push_back(reference(*ref));
            continue;
        }
        switch (id) {
            case ptg::kName: {
                const std::uint32_t index = r.u32();
                stack.push_back(name(index, nameDepth));
                break;
            }
            case ptg::kNameX: {
                const std::uint16_t ixti = r.u16();
                const std::uint16_t index = r.u16();
                r.skip(2);
                if (!context_.ownWorkbook || !context_.ownWorkbook(ixti)) throw NoRange{};
                stack.push_back(name(index, nameDepth));
                break;
            }
            case ptg::kMemArea:
            case ptg::kMemNoMem: {
                // The cached rectangles of tMemArea sit after the formula;
                // the nested tokens say the same, so only they are read.
                r.skip(4);
                const std::uint16_t cce = r.u16();
                stack.push_back(nested(r, cce, nesting, nameDepth));
                break;
            }
            case ptg::kMemFunc: {
                const std::uint16_t cce = r.u16();
                stack.push_back(nested(r, cce, nesting, nameDepth));
                break;
            }
            case ptg::kUnion: {
                const Areas right = pop(stack);
                if (stack.empty()) throw NoRange{};
                spend(right.size());
                stack.back().insert(stack.back().end(), right.begin(), right.end());
                break;
            }
            case ptg::kIsect: {
                const Areas right = pop(stack);
                const Areas left = pop(stack);
                spend(std::uint64_t{left.size()} * right.size());
                stack.push_back(intersection(left, right));
                break;
            }
            case ptg::kRange: {
                const Areas right = pop(stack);
                const Areas left = pop(stack);
                spend(left.size() + right.size());
                stack.push_back(boundingBox(left, right));
                break;
            }
            case ptg::kParen:
                if (stack.empty()) throw NoRange{};
                break;
            case ptg::kAttr: {
                const std::uint8_t kind = r.u8();
                if (kind != ptg::kAttrSpace && kind != ptg::kAttrSpaceSemi) throw NoRange{};
                r.skip(2);
                break;
            }
            default:
                throw NoRange{};
        }
    }
    if (stack.size() != 1) throw NoRange{};
    return std::move(stack.back());
}

}  // namespace

std::vector<SheetArea> nameFormulaAreas(std::span<const std::uint8_t> rgce,
                                        const NameFormulaContext& context) {
    try {
        return Evaluator(context).formula(rgce);
    } catch (const NoRange&) {
        return {};
    } catch (const io::ReadPastEnd&) {
        return {};
    }
}

std::vector<SheetArea> nameFormulaAreas(std::span<const std::uint8_t> rgce,
                                        const SheetRangeOfXti& sheetRange) {
    return nameFormulaAreas(rgce, NameFormulaContext{sheetRange, {}, {}});
}

}  // namespace xls::formula
