#include "list_file/list_file_readers.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "automation/ignoring_failure.h"
#include "list_file/fallback_sheets.h"
#include "list_file/list_layout.h"
#include "list_file/list_sheet.h"
#include "list_file/property_names.h"
#include "list_file/reader_instance.h"
#include "native/text/ascii.h"
#include "os/path_names.h"

namespace mokuji::list_file {

namespace {

using automation::AutomationError;
using automation::objectOrNull;
using automation::required;

// One entry of the table while it is built, with the position it sorts by.
struct Entry {
    std::string name;
    std::int32_t row = kNoNumber;
    std::int32_t col = kNoNumber;
    std::int64_t key = 0;
    // Where the list file shows the column; 0 when not read from a list.
    std::int32_t listColumn = 0;
    FallbackSheet sheet = {};
};

// Free entries carry these keys so that they sort behind every name that
// has a position.
constexpr std::int64_t kFreeColumnKey = kNoNumber;
constexpr std::int64_t kFreeReadingKey = std::int64_t{kNoNumber} * 1000 + kNoNumber;

Entry freeEntry(std::int64_t key) {
    Entry e;
    e.key = key;
    return e;
}

// The list's columns start right of the number column.
constexpr std::int32_t kFirstListColumn = kNumberColumn + 1;

// Entries with equal keys keep the order this exchange sort gives them, as
// lists made before always had it.
void sortByKey(std::vector<Entry>& entries) {
    for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            if (entries[j].key < entries[i].key) std::swap(entries[i], entries[j]);
        }
    }
}

// The names a reader looks at: only the first maxColumns fit the table.
std::int32_t namesToRead(const automation::Names& names, int maxColumns) {
    return std::clamp<std::int32_t>(names.count(), 0, maxColumns);
}

std::shared_ptr<automation::Range> rangeOf(const automation::Names& names, std::int32_t i) {
    return objectOrNull([&] { return required(names.item(i)).refersToRange(); });
}

// A row or column number stored under a list header, on the sheet of the
// header (a notes sheet may stand in front of it). Text that is no number
// gives no number; an empty cell gives 0.
std::int32_t storedNumber(const automation::Worksheet& sheet, std::int32_t row, std::int32_t col) {
    std::int32_t number = kNoNumber;
    automation::ignoringFailure([&] { number = required(sheet.cells(row, col)).value().toLong(); });
    return number;
}

bool holdsNumber(const automation::Worksheet& sheet, std::int32_t row, std::int32_t col) {
    bool number = false;
    automation::ignoringFailure(
        [&] { number = required(sheet.cells(row, col)).value().get<double>() != nullptr; });
    return number;
}

// The rightmost column a header can stand in: IV in an .xls list, past it
// where the list has room for more columns.
std::int32_t lastSheetColumn(int maxColumns) {
    return std::max(256, maxColumns + kNumberColumn);
}

// A header whose name the file could not be given as a workbook name is
// still a column of the list: the run wrote its text with the row and
// column numbers below, in the hidden rows. A header without those numbers
// is the user's own column and no list column.
void addHeadersWithoutName(const automation::Worksheet& sheet, std::int32_t headerRow,
                           std::int32_t lastColumn, std::vector<Entry>& entries) {
    std::vector<bool> taken(static_cast<std::size_t>(lastColumn) + 1, false);
    for (const Entry& e : entries) {
        if (!e.name.empty() && e.key >= 1 && e.key <= lastColumn)
            taken[static_cast<std::size_t>(e.key)] = true;
    }
    for (std::int32_t col = kFirstListColumn; col <= lastColumn; ++col) {
        if (taken[static_cast<std::size_t>(col)]) continue;
        std::string text;
        automation::ignoringFailure([&] {
            const automation::Variant v = required(sheet.cells(headerRow, col)).value();
            if (auto s = v.get<std::string>()) text = *s;
        });
        if (text.empty()) continue;
        if (!holdsNumber(sheet, headerRow + 1, col) || !holdsNumber(sheet, headerRow + 2, col))
            continue;
        const bool known = std::any_of(entries.begin(), entries.end(),
                                       [&](const Entry& e) { return e.name == text; });
        if (known) continue;
        entries.push_back({text, storedNumber(sheet, headerRow + 1, col),
                           storedNumber(sheet, headerRow + 2, col), col, col});
    }
}

std::string sheetNameOf(const automation::Range& range) {
    std::string name;
    automation::ignoringFailure([&] { name = required(range.worksheet()).name(); });
    return name;
}

// The record of fallback sheets, in the row of row numbers left of the
// list's columns, wherever the user moved the list; "" when there is none.
std::string fallbackSheetsRecord(const automation::Worksheet& sheet, std::int32_t headerRow,
                                 std::int32_t lastColumn) {
    for (std::int32_t col = 1; col <= lastColumn; ++col) {
        std::string text;
        automation::ignoringFailure([&] {
            const automation::Variant v = required(sheet.cells(headerRow + 1, col)).value();
            if (auto s = v.get<std::string>()) text = *s;
        });
        if (text.starts_with(kFallbackSheetsHeading)) return text;
    }
    return "";
}

// The sheet of a template's named cell, when it is not the first.
FallbackSheet sheetOf(const automation::Workbook& book, const automation::Range& range) {
    FallbackSheet found;
    found.name = sheetNameOf(range);
    automation::ignoringFailure([&] {
        const auto sheets = book.sheets();
        for (std::int32_t i = 1; i <= required(sheets).count(); ++i) {
            if (required(sheets->item(i)).name() == found.name) {
                found.position = i;
                break;
            }
        }
    });
    if (found.position == 1) return {};
    return found;
}

std::vector<Entry> listFileEntries(const automation::Workbook& book, int maxColumns) {
    const auto names = book.names();
    const std::int32_t n = namesToRead(required(names), maxColumns);
    // Only names on the list's own sheet are its columns: a copy of the
    // sheet carries sheet-level copies of every name, and those must
    // neither add a column nor take the place of the one they copy.
    const ListSheet list = FindListSheet(book);
    std::string listSheetName;
    if (list.sheet) automation::ignoringFailure([&] { listSheetName = list.sheet->name(); });
    const auto onListSheet = [&](const automation::Range& range) {
        return listSheetName.empty() || sheetNameOf(range) == listSheetName;
    };
    std::vector<Entry> entries(static_cast<std::size_t>(n), freeEntry(kFreeColumnKey));
    for (std::int32_t i = 1; i <= n; ++i) {
        std::string name;
        if (!automation::ignoringFailure([&] { name = required(names->item(i)).name(); })) continue;
        if (name == kNumberName) continue;
        Entry& e = entries[static_cast<std::size_t>(i - 1)];
        auto range = rangeOf(*names, i);
        if (name == kFileNameColumn) {
            if (range && !onListSheet(*range)) continue;
            e.name = name;
            if (range) automation::ignoringFailure([&] { e.key = range->column(); });
            if (e.key != kFreeColumnKey) e.listColumn = static_cast<std::int32_t>(e.key);
            continue;
        }
        if (!range || !onListSheet(*range)) continue;
        std::int32_t row = 0;
        std::int32_t col = 0;
        if (!automation::ignoringFailure([&] {
                col = range->column();
                row = range->row();
            }))
            continue;
        if (col < kFirstListColumn) continue;
        auto sheet = objectOrNull([&] { return range->worksheet(); });
        if (!sheet) continue;
        e.name = name;
        e.key = col;
        e.listColumn = col;
        e.row = storedNumber(*sheet, row + 1, col);
        e.col = storedNumber(*sheet, row + 2, col);
    }
    // A sheet-level copy of a workbook-level name on the same cell would be
    // the same column twice, the second writing over the first.
    for (Entry& e : entries) {
        const std::size_t bang = e.name.rfind('!');
        if (bang == std::string::npos) continue;
        const std::string bare = e.name.substr(bang + 1);
        if (std::any_of(entries.begin(), entries.end(), [&](const Entry& other) {
                return other.name == bare && other.listColumn == e.listColumn;
            }))
            e = freeEntry(kFreeColumnKey);
    }
    if (list.sheet) {
        const std::int32_t lastColumn = lastSheetColumn(maxColumns);
        addHeadersWithoutName(*list.sheet, list.headerRow, lastColumn, entries);
        const auto sheets =
            ReadFallbackSheets(fallbackSheetsRecord(*list.sheet, list.headerRow, lastColumn));
        for (Entry& e : entries) {
            if (auto found = sheets.find(e.name); found != sheets.end()) e.sheet = found->second;
        }
    }
    return entries;
}

std::vector<Entry> templateEntries(const automation::Workbook& book, int maxColumns,
                                   std::vector<std::string>* pastTheGrid) {
    const auto names = book.names();
    const std::int32_t n = namesToRead(required(names), maxColumns);
    std::vector<Entry> entries(static_cast<std::size_t>(n), freeEntry(kFreeReadingKey));
    bool fileNameMet = false;
    for (std::int32_t i = 1; i <= n; ++i) {
        std::string name;
        if (!automation::ignoringFailure([&] { name = required(names->item(i)).name(); })) continue;
        // A sheet-level name belongs to one sheet; the run looks names up in
        // the whole workbook.
        if (name.find('!') != std::string::npos) continue;
        if (name == kNumberName) continue;
        if (name == kFileNameColumn) fileNameMet = true;
        auto range = rangeOf(*names, i);
        if (!range) {
            // Such a column would stay empty in every row: the user must
            // hear that it was left out, and why.
            bool past = false;
            automation::ignoringFailure(
                [&] { past = required(names->item(i)).refersPastTheGrid(); });
            if (past && pastTheGrid) pastTheGrid->push_back(name);
            continue;
        }
        Entry& e = entries[static_cast<std::size_t>(i - 1)];
        if (!automation::ignoringFailure([&] { e.row = range->row(); })) continue;
        e.name = name;
        automation::ignoringFailure([&] { e.col = range->column(); });
        e.key = std::int64_t{e.row} * 1000 + e.col;
        e.sheet = sheetOf(book, *range);
    }
    // Every list shows the file a row came from, first.
    if (!fileNameMet) entries.push_back({std::string(kFileNameColumn), 0, 0, 0});
    return entries;
}

using NameWalk = std::function<std::vector<Entry>(const automation::Workbook&)>;

std::optional<ReadFailure> readColumnTable(const std::string& p_file, ColumnTable& table,
                                           const ReaderContext& ctx, const NameWalk& walk,
                                           bool listFile) {
    std::unique_ptr<automation::Application> xl;
    try {
        xl = ctx.createApplication();
    } catch (const AutomationError&) {
    }
    // Without an application the run cannot start either, and says so.
    if (!xl) return std::nullopt;
    ReaderInstance instance(std::move(xl), ctx.view);
    // A template is one of the workbooks gathered; the list file is read in
    // its own format whatever is gathered (an .xlsx list beside .xls
    // workbooks alone), or its rows would be rewritten without columns.
    const bool listFormat =
        IsXlsxList(p_file) || xls::text::upperAscii(os::ExtensionOf(p_file)) == "XLS";
    if (!(listFile && listFormat) && !os::HasListedExtension(p_file, ctx.workbookPattern))
        return std::nullopt;

    automation::OpenArguments args;
    args.fileName = p_file;
    args.updateLinks = 0;
    args.readOnly = true;
    args.ignoreReadOnlyRecommended = true;
    std::vector<Entry> entries;
    try {
        instance.book = required(instance.app().workbooks()).open(args);
        ctx.view.setCaption(ctx.programName + " - [" + os::FileNameOf(p_file) + "]");
        entries = walk(required(instance.book));
    } catch (const AutomationError& e) {
        // The table stays as it was: a run must not go on with columns read
        // from half a workbook.
        const auto cause = e.openFailure() == automation::OpenFailure::None
                               ? automation::OpenFailure::Other
                               : e.openFailure();
        return ReadFailure{p_file, e.what(), cause, e.foundContent()};
    }
    sortByKey(entries);
    const auto room = static_cast<std::size_t>(std::max(ctx.maxColumns, 0));
    if (entries.size() > room) entries.resize(room);

    // As large as ever, larger where the list has room for more.
    table.resize(std::max<int>(kMaxColumns, static_cast<int>(entries.size())));
    for (int j = 1; j <= table.size(); ++j) {
        const auto k = static_cast<std::size_t>(j - 1);
        const Entry e = k < entries.size() ? entries[k] : Entry{};
        table.g_item_name[j] = e.name;
        table.g_item_row[j] = e.row;
        table.g_item_col[j] = e.col;
        table.listColumn[j] = e.listColumn;
        table.fallbackSheet[j] = e.sheet;
    }
    return std::nullopt;
}

}  // namespace

std::optional<ReadFailure> ReadListFileColumns(const std::string& p_file, ColumnTable& table,
                                               const ReaderContext& ctx) {
    return readColumnTable(
        p_file, table, ctx,
        [&ctx](const automation::Workbook& b) { return listFileEntries(b, ctx.maxColumns); }, true);
}

std::optional<ReadFailure> ReadTemplateColumns(const std::string& p_file, ColumnTable& table,
                                               const ReaderContext& ctx,
                                               std::vector<std::string>* pastTheGrid) {
    std::vector<std::string> found;
    auto failure = readColumnTable(
        p_file, table, ctx,
        [&](const automation::Workbook& b) { return templateEntries(b, ctx.maxColumns, &found); },
        false);
    if (!failure && pastTheGrid) *pastTheGrid = std::move(found);
    return failure;
}

}  // namespace mokuji::list_file
