#include "engine/list_sheet.h"

#include <string>

#include "columns/property_names.h"
#include "engine/ignoring_failure.h"
#include "engine/list_layout.h"

namespace mokuji::engine {

namespace {

// The range of the workbook-level name, null when there is none or it
// refers to no single sheet's cells.
std::shared_ptr<automation::Range> namedRange(const automation::Names& names,
                                              std::string_view wanted) {
    std::int32_t count = 0;
    ignoringFailure([&] { count = names.count(); });
    for (std::int32_t i = 1; i <= count; ++i) {
        std::shared_ptr<automation::Range> range;
        ignoringFailure([&] {
            auto name = names.item(i);
            if (required(name).name() == wanted) range = name->refersToRange();
        });
        if (range) return range;
    }
    return nullptr;
}

// A chart sheet has no cells.
bool isWorksheet(const automation::Worksheet& sheet) {
    return ignoringFailure([&] { required(sheet.cells(1, 1)); });
}

}  // namespace

ListSheet FindListSheet(const automation::Workbook& book) {
    ListSheet found;
    auto names = objectOrNull([&] { return book.names(); });
    if (names) {
        if (auto number = namedRange(*names, kNumberName)) {
            ignoringFailure([&] {
                auto sheet = number->worksheet();
                found.headerRow = number->row();
                found.sheet = sheet;
            });
            if (found.sheet) return found;
        }
        if (auto fileNames = namedRange(*names, columns::kFileNameColumn)) {
            found.sheet = objectOrNull([&] { return fileNames->worksheet(); });
        }
    }
    found.headerRow = kDefaultHeaderRow;
    if (found.sheet && isWorksheet(*found.sheet)) return found;
    found.sheet = nullptr;
    auto sheets = objectOrNull([&] { return book.sheets(); });
    if (!sheets) return found;
    std::int32_t count = 0;
    ignoringFailure([&] { count = sheets->count(); });
    for (std::int32_t i = 1; i <= count; ++i) {
        auto sheet = objectOrNull([&] { return sheets->item(i); });
        if (sheet && isWorksheet(*sheet)) {
            found.sheet = sheet;
            break;
        }
    }
    return found;
}

}  // namespace mokuji::engine
