#include "list_file/list_sheet.h"

#include <string>

#include "automation/ignoring_failure.h"
#include "list_file/list_layout.h"
#include "list_file/property_names.h"

namespace mokuji::list_file {

namespace {

// The range of the workbook-level name, null when there is none or it
// refers to no single sheet's cells.
std::shared_ptr<automation::Range> namedRange(const automation::Names& names,
                                              std::string_view wanted) {
    std::int32_t count = 0;
    automation::ignoringFailure([&] { count = names.count(); });
    for (std::int32_t i = 1; i <= count; ++i) {
        std::shared_ptr<automation::Range> range;
        automation::ignoringFailure([&] {
            auto name = names.item(i);
            if (required(name).name() == wanted) range = name->refersToRange();
        });
        if (range) return range;
    }
    return nullptr;
}

// A chart sheet has no cells.
bool isWorksheet(const automation::Worksheet& sheet) {
    return automation::ignoringFailure([&] { required(sheet.cells(1, 1)); });
}

// A list whose names were all lost still shows its header: "No." over the
// sequence numbers, in column B. The rows searched are those a title or a
// note above the header could plausibly push it down to.
std::int32_t headerRowByText(const automation::Worksheet& sheet) {
    constexpr std::int32_t kRowsSearched = 200;
    for (std::int32_t row = 1; row <= kRowsSearched; ++row) {
        bool found = false;
        automation::ignoringFailure([&] {
            const automation::Variant value = required(sheet.cells(row, kNumberColumn)).value();
            const auto* text = value.get<std::string>();
            found = text && *text == kNumberHeader;
        });
        if (found) return row;
    }
    return 0;
}

}  // namespace

ListSheet FindListSheet(const automation::Workbook& book) {
    ListSheet found;
    auto names = automation::objectOrNull([&] { return book.names(); });
    if (names) {
        // The header row is the row of the number column's name, under either
        // spelling, else of the file-name column's: rows inserted or deleted
        // above the header move the names with it.
        for (std::string_view wanted :
             {std::string_view(kNumberName), std::string_view(kNumberNameSavedElsewhere),
              kFileNameColumn}) {
            auto named = namedRange(*names, wanted);
            if (!named) continue;
            automation::ignoringFailure([&] {
                auto sheet = named->worksheet();
                found.headerRow = named->row();
                found.sheet = sheet;
            });
            if (found.sheet && isWorksheet(*found.sheet)) return found;
            found = ListSheet{};
        }
    }
    auto sheets = automation::objectOrNull([&] { return book.sheets(); });
    if (!sheets) return found;
    std::int32_t count = 0;
    automation::ignoringFailure([&] { count = sheets->count(); });
    for (std::int32_t i = 1; i <= count; ++i) {
        auto sheet = automation::objectOrNull([&] { return sheets->item(i); });
        if (sheet && isWorksheet(*sheet)) {
            found.sheet = sheet;
            break;
        }
    }
    if (found.sheet) found.headerRow = headerRowByText(*found.sheet);
    if (found.headerRow == 0) found.headerRow = kDefaultHeaderRow;
    return found;
}

}  // namespace mokuji::list_file
