#include "native/formula/name_formula.h"
#include "native/formula/name_tokens.h"

namespace xls::formula {

std::vector<SheetArea> nameFormulaAreas(std::span<const std::uint8_t> rgce,
                                        const SheetRangeOfXti& sheetRange) {
    const std::optional<NameFormula> formula = decodeNameFormula(rgce);
    const auto* list = formula ? std::get_if<ReferenceList>(&*formula) : nullptr;
    if (list == nullptr) return {};

    // One part that is not a range makes the whole union none, as the
    // application then has no range to hand out for the name.
    std::vector<SheetArea> areas;
    for (const SheetRef& ref : list->refs) {
        if (ref.deleted) return {};
        const auto sheets = sheetRange ? sheetRange(ref.ixti) : std::nullopt;
        if (!sheets || sheets->first < 0 || sheets->second < sheets->first) return {};
        areas.push_back(SheetArea{sheets->first, sheets->second, ref.area});
    }
    return areas;
}

}  // namespace xls::formula
