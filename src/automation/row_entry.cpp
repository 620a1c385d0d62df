#include <algorithm>

#include "automation/ignoring_failure.h"
#include "automation/object_model.h"

namespace automation {

bool Application::enterRow(std::int32_t row, std::span<const std::int32_t> columns,
                           std::span<const Variant> entries) {
    bool all = columns.size() == entries.size();
    for (std::size_t i = 0; i < std::min(columns.size(), entries.size()); ++i) {
        all =
            ignoringFailure([&] { required(cells(row, columns[i])).setFormulaR1C1(entries[i]); }) &&
            all;
    }
    return all;
}

}  // namespace automation
