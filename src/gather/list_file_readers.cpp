#include "gather/list_file_readers.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/property_name_table.h"
#include "engine/ignoring_failure.h"
#include "engine/list_generation_driver.h"
#include "engine/list_layout.h"
#include "gather/reader_instance.h"
#include "platform/letter_case.h"
#include "util/path_names.h"

namespace mokuji::gather {

namespace {

using automation::AutomationError;
using engine::kMaxColumns;
using engine::kNoNumber;
using engine::objectOrNull;
using engine::required;

// One entry of the table while it is built, with the position it sorts by.
struct Entry {
    std::string name;
    std::int32_t row = kNoNumber;
    std::int32_t col = kNoNumber;
    std::int64_t key = 0;
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
constexpr std::int32_t kFirstListColumn = engine::kNumberColumn + 1;

// Entries with equal keys keep the order this exchange sort gives them, as
// lists made before always had it.
void sortByKey(std::vector<Entry>& entries) {
    for (std::size_t i = 0; i + 1 < entries.size(); ++i) {
        for (std::size_t j = i + 1; j < entries.size(); ++j) {
            if (entries[j].key < entries[i].key) std::swap(entries[i], entries[j]);
        }
    }
}

// The names a reader looks at: only the first kMaxColumns fit the table.
std::int32_t namesToRead(const automation::Names& names) {
    return std::clamp<std::int32_t>(names.count(), 0, kMaxColumns);
}

std::shared_ptr<automation::Range> rangeOf(const automation::Names& names, std::int32_t i) {
    return objectOrNull([&] { return required(names.item(i)).refersToRange(); });
}

// A row or column number stored under a list header. Text that is no
// number gives no number; an empty cell gives 0.
std::int32_t storedNumber(const automation::Workbook& book, std::int32_t row, std::int32_t col) {
    std::int32_t number = kNoNumber;
    engine::ignoringFailure([&] {
        auto sheet = required(book.sheets()).item(1);
        number = required(required(sheet).cells(row, col)).value().toLong();
    });
    return number;
}

std::vector<Entry> listFileEntries(const automation::Workbook& book) {
    const auto names = book.names();
    const std::int32_t n = namesToRead(required(names));
    std::vector<Entry> entries(static_cast<std::size_t>(n), freeEntry(kFreeColumnKey));
    for (std::int32_t i = 1; i <= n; ++i) {
        std::string name;
        if (!engine::ignoringFailure([&] { name = required(names->item(i)).name(); })) continue;
        if (name == engine::kNumberName) continue;
        Entry& e = entries[static_cast<std::size_t>(i - 1)];
        auto range = rangeOf(*names, i);
        if (name == app::kFileNameColumn) {
            e.name = name;
            if (range) engine::ignoringFailure([&] { e.key = range->column(); });
            continue;
        }
        if (!range) continue;
        std::int32_t row = 0;
        std::int32_t col = 0;
        if (!engine::ignoringFailure([&] {
                col = range->column();
                row = range->row();
            }))
            continue;
        if (col < kFirstListColumn) continue;
        e.name = name;
        e.key = col;
        e.row = storedNumber(book, row + 1, col);
        e.col = storedNumber(book, row + 2, col);
    }
    return entries;
}

std::vector<Entry> templateEntries(const automation::Workbook& book) {
    const auto names = book.names();
    const std::int32_t n = namesToRead(required(names));
    std::vector<Entry> entries(static_cast<std::size_t>(n), freeEntry(kFreeReadingKey));
    bool fileNameMet = false;
    for (std::int32_t i = 1; i <= n; ++i) {
        std::string name;
        if (!engine::ignoringFailure([&] { name = required(names->item(i)).name(); })) continue;
        // A sheet-level name belongs to one sheet; the run looks names up in
        // the whole workbook.
        if (name.find('!') != std::string::npos) continue;
        if (name == engine::kNumberName) continue;
        if (name == app::kFileNameColumn) fileNameMet = true;
        auto range = rangeOf(*names, i);
        if (!range) continue;
        Entry& e = entries[static_cast<std::size_t>(i - 1)];
        if (!engine::ignoringFailure([&] { e.row = range->row(); })) continue;
        e.name = name;
        engine::ignoringFailure([&] { e.col = range->column(); });
        e.key = std::int64_t{e.row} * 1000 + e.col;
    }
    // Every list shows the file a row came from, first.
    if (!fileNameMet) entries.push_back({std::string(app::kFileNameColumn), 0, 0, 0});
    return entries;
}

using NameWalk = std::function<std::vector<Entry>(const automation::Workbook&)>;

std::optional<ReadFailure> readColumnTable(const std::string& p_file, engine::ColumnTable& table,
                                           const ReaderContext& ctx, const NameWalk& walk) {
    std::unique_ptr<automation::Application> xl;
    try {
        xl = ctx.createApplication();
    } catch (const AutomationError&) {
    }
    if (!xl) {
        ctx.view.showMessage(engine::kNoApplicationMessage);
        return std::nullopt;
    }
    ReaderInstance instance(std::move(xl), ctx.view);
    if (platform::UpperAscii(util::ExtensionOf(p_file)) != "XLS") return std::nullopt;

    automation::OpenArguments args;
    args.fileName = p_file;
    args.updateLinks = 0;
    args.readOnly = true;
    args.ignoreReadOnlyRecommended = true;
    std::vector<Entry> entries;
    try {
        instance.book = required(instance.app().workbooks()).open(args);
        ctx.view.setCaption(ctx.programName + " - [" + util::FileNameOf(p_file) + "]");
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
    if (entries.size() > static_cast<std::size_t>(kMaxColumns)) entries.resize(kMaxColumns);

    for (int j = 1; j <= kMaxColumns; ++j) {
        const auto k = static_cast<std::size_t>(j - 1);
        const Entry e = k < entries.size() ? entries[k] : Entry{};
        table.g_item_name[j] = e.name;
        table.g_item_row[j] = e.row;
        table.g_item_col[j] = e.col;
    }
    return std::nullopt;
}

}  // namespace

std::optional<ReadFailure> sub_mokuji_read1(const std::string& p_file, engine::ColumnTable& table,
                                            const ReaderContext& ctx) {
    return readColumnTable(p_file, table, ctx, listFileEntries);
}

std::optional<ReadFailure> sub_mokuji_read2(const std::string& p_file, engine::ColumnTable& table,
                                            const ReaderContext& ctx) {
    return readColumnTable(p_file, table, ctx, templateEntries);
}

}  // namespace mokuji::gather
