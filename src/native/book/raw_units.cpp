#include "native/book/raw_units.h"

#include "native/biff/record_ids.h"

namespace xls::book {

std::vector<RawUnit> unitsOf(std::span<const std::uint8_t> stream,
                             const std::vector<biff::RecordRef>& refs) {
    std::vector<RawUnit> units;
    units.reserve(refs.size());
    for (const auto& r : refs) {
        auto bytes = stream.subspan(r.offset, std::size_t{r.size} + 4);
        if (r.id == biff::rec::Continue && !units.empty()) {
            units.back().insert(units.back().end(), bytes.begin(), bytes.end());
        } else {
            units.emplace_back(bytes.begin(), bytes.end());
        }
    }
    return units;
}

}  // namespace xls::book
