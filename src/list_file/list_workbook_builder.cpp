#include "list_file/list_workbook_builder.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "automation/ignoring_failure.h"
#include "list_file/fallback_sheets.h"
#include "list_file/file_link.h"
#include "list_file/list_entry_text.h"
#include "list_file/list_formatting.h"
#include "list_file/list_layout.h"
#include "list_file/list_sheet.h"
#include "list_file/property_names.h"
#include "list_file/user_notes.h"
#include "os/freed_memory.h"
#include "os/name_text.h"
#include "ui/text.h"

namespace mokuji::list_file {

namespace {

using automation::Application;
using automation::AutomationError;
using automation::Range;
using automation::Variant;

std::string rowSpan(std::int32_t first, std::int32_t last) {
    return std::to_string(first) + ":" + std::to_string(last);
}

class ListWriter {
  public:
    // owned: rows the writer may empty as it goes.
    ListWriter(Application& xl_app, const RowStore& rows, RowStore* owned, const ListContext& ctx)
        : xl_(xl_app), rows_(rows), owned_(owned), ctx_(ctx), path_(ctx.listFilePath()) {
        for (int j = 1; j <= ctx_.columns.size(); ++j) {
            if (!ctx_.columns.g_item_name[j].empty()) named_.push_back(j);
        }
    }

    ListWorkbookResult run() {
        result_.updatedExisting = ctx_.fileExists && ctx_.fileExists(path_);
        bool haveBook = result_.updatedExisting ? openExisting() : createNew();
        // Without the list workbook every cell operation would land in
        // whatever workbook happens to be active.
        if (!haveBook) return result_;
        placeColumns();
        if (updating_) readNotes();
        clearOldRows();
        writeDataRows();
        if (!notes_.empty() && !putBackNotes()) return result_;
        drawDataBorders();
        save();
        return result_;
    }

  private:
    bool openExisting() {
        ctx_.view.setCaption(ctx_.programName + ui::Text(" - 目次ファイル更新開始"));
        automation::OpenArguments args;
        args.fileName = path_;
        std::shared_ptr<automation::Workbook> book;
        try {
            book = required(xl_.workbooks()).open(args);
        } catch (const AutomationError& e) {
            fail(ListSaveFailure::Step::Open, &e);
            return false;
        }
        // Every cell operation below acts on the active sheet; the file may
        // have been saved with another sheet in front.
        const ListSheet list = book ? FindListSheet(*book) : ListSheet{};
        if (!list.sheet) {
            fail(ListSaveFailure::Step::NoWorksheet);
            return false;
        }
        try {
            list.sheet->select();
        } catch (const AutomationError& e) {
            fail(ListSaveFailure::Step::SelectSheet, &e);
            return false;
        }
        header_ = list.headerRow;
        updating_ = true;
        return true;
    }

    bool createNew() {
        ctx_.view.setCaption(ctx_.programName + ui::Text(" - 目次ファイル作成開始"));
        try {
            const auto books = xl_.workbooks();
            if (IsXlsxList(ctx_.listFileName))
                required(books).addForPackage();
            else
                required(books).add();
        } catch (const AutomationError& e) {
            fail(ListSaveFailure::Step::Create, &e);
            return false;
        }
        if (auto all = automation::objectOrNull([&] { return xl_.cells(); }))
            FormatWholeSheet(*all);
        setColumnWidth("A:A", 1);
        setColumnWidth("B:B", 4);
        enterHeader(kNumberColumn, kNumberHeader);
        if (auto b = automation::objectOrNull([&] { return xl_.columns("B:B"); }))
            FormatNumberColumn(*b);
        addName(kNumberName, kNumberColumn);

        setColumnWidth("C:C", 30);
        enterHeader(kNumberColumn + 1, kFileNameHeader);
        if (auto c = automation::objectOrNull([&] { return xl_.columns("C:C"); }))
            FormatFileNameColumn(*c);
        addName(std::string(kFileNameColumn), kNumberColumn + 1);

        std::int32_t x = kNumberColumn;
        for (int j : named_) {
            ++x;
            const std::string& name = ctx_.columns.g_item_name[j];
            if (!automation::ignoringFailure([&] {
                    required(required(xl_.activeWorkbook()).names()).add(name, cell(header_, x));
                }))
                result_.namesNotAdded.push_back(name);
            if (!headerCellEmpty(x)) continue;
            enterHeader(x, name);
            enter(header_ + 1, x, Variant(ctx_.columns.g_item_row[j]));
            enter(header_ + 2, x, Variant(ctx_.columns.g_item_col[j]));
        }
        // Where a fallback cell lies on another sheet than the first, the
        // list keeps which, where other readers of the list look past it.
        if (const std::string record = FallbackSheetsRecord(ctx_.columns); !record.empty())
            enter(header_ + 1, kNumberColumn - 1, TextEntry(record));
        drawBorders(header_, kNumberColumn, header_, x);
        automation::ignoringFailure(
            [&] { required(xl_.rows(rowSpan(header_ + 1, header_ + 2))).setRowHeight(0); });
        keepOnlyTheListSheet();
        return true;
    }

    // The new workbook's own sheets besides the first would be empty pages of
    // the list.
    void keepOnlyTheListSheet() {
        automation::ignoringFailure([&] { xl_.setDisplayAlerts(false); });
        auto first = automation::objectOrNull([&] { return xl_.sheets("Sheet1"); });
        if (first) {
            automation::ignoringFailure([&] { first->select(); });
            automation::ignoringFailure([&] { first->setName(kListSheetName); });
        }
        for (const char* spare : {"Sheet2", "Sheet3"}) {
            // Deleting after a failed select would delete whatever is selected
            // instead: the list sheet itself.
            if (automation::ignoringFailure([&] { required(xl_.sheets(spare)).select(); })) {
                automation::ignoringFailure([&] { xl_.deleteSelectedSheets(); });
            }
        }
        automation::ignoringFailure([&] { required(xl_.sheets(kListSheetName)).select(); });
        automation::ignoringFailure([&] { xl_.setDisplayAlerts(true); });
    }

    // Down to the sheet's last row, so that no row of a longer earlier list
    // survives.
    void clearOldRows() {
        std::int32_t rows = sheetRows_;
        automation::ignoringFailure([&] { rows = required(xl_.cells()).rowCount(); });
        sheetRows_ = std::min(rows, sheetRows_);
        std::int32_t first = header_ + 3;
        if (first > rows) return;
        automation::ignoringFailure([&] {
            required(xl_.rows(rowSpan(first, rows))).deleteShift(automation::xl::kShiftUp);
        });
    }

    // An update finds each column under the header that carries its name,
    // as the list file was read; a new list, and a column whose header was
    // not found, takes the places in table order.
    void placeColumns() {
        for (std::size_t k = 0; k < named_.size(); ++k) {
            std::int32_t x = kNumberColumn + 1 + static_cast<std::int32_t>(k);
            if (updating_ && ctx_.columns.listColumn[named_[k]] > kNumberColumn)
                x = ctx_.columns.listColumn[named_[k]];
            placed_.push_back(x);
            lastColumn_ = std::max(lastColumn_, x);
        }
    }

    void writeDataRows() {
        const int room = std::max(0, sheetRows_ - (header_ + 2));
        const int count = static_cast<int>(rows_.rows.size());
        result_.rowsWritten = std::min(count, room);
        result_.rowsNotWritten = count - result_.rowsWritten;
        for (int r = 0; r < result_.rowsWritten; ++r) writeRow(header_ + 3 + r, r);
    }

    void writeRow(std::int32_t row, int r) {
        const ListRow& data = rows_.rows[static_cast<std::size_t>(r)];
        rowColumns_.assign(1, kNumberColumn);
        rowEntries_.assign(1, Variant(std::to_string(r + 1)));
        bool whole = true;
        for (std::size_t k = 0; k < named_.size() && k < data.values.size(); ++k) {
            const std::string& name = ctx_.columns.g_item_name[named_[k]];
            const std::int32_t x = placed_[k];
            const bool fileNameColumn = name == kFileNameColumn;
            // A name that is not UTF-8 is shown decoded.
            const std::string shown = fileNameColumn ? os::ShownName(data.fileName) : "";
            DataEntry value = EntryForValue(fileNameColumn ? Variant(shown)
                                            : name == kFolderColumn
                                                ? Variant(os::ShownName(data.values[k].toText()))
                                                : data.values[k]);
            if (value.change == DataEntry::Change::Cut)
                result_.valuesCut.push_back({data.fileName, name});
            if (value.change == DataEntry::Change::AsText)
                result_.valuesAsText.push_back({data.fileName, name});
            rowColumns_.push_back(x);
            rowEntries_.push_back(std::move(value.entry));
            if (fileNameColumn) {
                // The link goes on the file name as entered, before the
                // cells after it, as when each cell was entered on its own.
                whole = enterRowSoFar(row) && whole;
                // A relative link to the file beside the list, so the link
                // follows the list file when the folder moves.
                const std::string target = FileLinkAddress(data.fileName);
                automation::ignoringFailure(
                    [&] { required(xl_.activeSheet()).addHyperlink(cell(row, x), target, shown); });
            }
        }
        whole = enterRowSoFar(row) && whole;
        if (!whole) result_.rowsFailed.push_back(data.fileName);
        if (owned_) std::vector<Variant>().swap(owned_->rows[static_cast<std::size_t>(r)].values);
    }

    bool enterRowSoFar(std::int32_t row) {
        if (rowColumns_.empty()) return true;
        bool entered = false;
        automation::ignoringFailure([&] { entered = xl_.enterRow(row, rowColumns_, rowEntries_); });
        rowColumns_.clear();
        rowEntries_.clear();
        return entered;
    }

    // The user's own columns are not the run's to empty: each row's notes
    // are read before the data rows go, keyed by the row's file name.
    void readNotes() {
        std::vector<std::int32_t> listColumns = placed_;
        listColumns.push_back(kNumberColumn);
        std::int32_t fileNameColumn = 0;
        for (std::size_t k = 0; k < named_.size(); ++k) {
            if (ctx_.columns.g_item_name[named_[k]] == kFileNameColumn) fileNameColumn = placed_[k];
        }
        auto sheet = automation::objectOrNull([&] { return xl_.activeSheet(); });
        if (sheet) notes_ = ReadUserNotes(*sheet, header_, listColumns, fileNameColumn);
    }

    // Each row's notes go back beside its workbook's new row; those of a
    // workbook no longer in the folder go to the sheet of removed rows. When
    // they cannot be kept there, the list is not saved at all.
    bool putBackNotes() {
        // By name, so that a long list is matched in one pass; a name twice
        // in the old list (a row the user copied) gives its notes in order.
        std::unordered_map<std::string, std::vector<std::size_t>> byName;
        for (std::size_t i = notes_.rows.size(); i-- > 0;) {
            if (notes_.rows[i].workbookRow) byName[notes_.rows[i].fileName].push_back(i);
        }
        std::vector<bool> used(notes_.rows.size(), false);
        for (int r = 0; r < result_.rowsWritten; ++r) {
            const std::string& fileName = rows_.rows[static_cast<std::size_t>(r)].fileName;
            auto found = byName.find(os::ShownName(fileName));
            if (found == byName.end() || found->second.empty()) continue;
            const std::size_t i = found->second.back();
            found->second.pop_back();
            used[i] = true;
            const auto& cells = notes_.rows[i].cells;
            bool whole = true;
            for (std::size_t k = 0; k < cells.size(); ++k) {
                if (!cells[k].isEmpty())
                    whole =
                        enter(header_ + 3 + r, notes_.columns[k], EntryForValue(cells[k]).entry) &&
                        whole;
            }
            if (!whole) result_.rowsFailed.push_back(fileName);
        }
        std::vector<UserNotes::Row> removed;
        for (std::size_t i = 0; i < notes_.rows.size(); ++i) {
            if (used[i]) continue;
            removed.push_back(notes_.rows[i]);
            result_.notesMoved.push_back(notes_.rows[i].fileName);
        }
        if (removed.empty()) return true;
        try {
            KeepRemovedNotes(required(xl_.activeWorkbook()), notes_.headers, removed);
        } catch (const AutomationError& e) {
            fail(ListSaveFailure::Step::KeepNotes, &e);
            return false;
        }
        return true;
    }

    // With no rows the block still spans two rows, the hidden number row
    // included, as lists have always been drawn.
    void drawDataBorders() {
        drawBorders(header_ + 3, kNumberColumn, header_ + 2 + result_.rowsWritten, lastColumn_);
    }

    void save() {
        automation::ignoringFailure([&] { xl_.setDisplayAlerts(false); });
        os::ReturnFreedMemory();
        try {
            auto active = xl_.activeWorkbook();
            auto& book = required(active);
            // A new workbook is always saved under the list file's name:
            // Save would put it under its own default name, wherever the
            // application's current folder is, even if the list file
            // appeared meanwhile.
            if (result_.updatedExisting && ctx_.fileExists(path_)) {
                book.save();
            } else {
                automation::SaveAsArguments args;
                args.fileName = path_;
                args.password = "";
                args.writeResPassword = "";
                args.readOnlyRecommended = false;
                args.createBackup = false;
                book.saveAs(args);
            }
        } catch (const AutomationError& e) {
            fail(ListSaveFailure::Step::Save, &e);
        }
        automation::ignoringFailure([&] { xl_.setDisplayAlerts(true); });
    }

    void fail(ListSaveFailure::Step step, const AutomationError* error = nullptr) {
        ListSaveFailure failure;
        failure.path = path_;
        failure.step = step;
        if (error) {
            if (error->openFailure() != automation::OpenFailure::None)
                failure.cause = error->openFailure();
            failure.content = error->foundContent();
            failure.detail = error->what();
        }
        result_.saveFailure = std::move(failure);
    }

    Range& cell(std::int32_t row, std::int32_t column) {
        cell_ = xl_.cells(row, column);
        return required(cell_);
    }

    bool enter(std::int32_t row, std::int32_t column, const Variant& entry) {
        return automation::ignoringFailure([&] { cell(row, column).setFormulaR1C1(entry); });
    }

    void enterHeader(std::int32_t column, const std::string& text) {
        enter(header_, column, TextEntry(text));
        automation::ignoringFailure([&] { ColourHeaderCell(cell(header_, column)); });
    }

    // A cell that cannot be read is taken as empty: in a new workbook it
    // almost certainly is, and its header is better written than lost.
    bool headerCellEmpty(std::int32_t column) {
        bool empty = true;
        automation::ignoringFailure([&] { empty = cell(header_, column).value().isEmpty(); });
        return empty;
    }

    void addName(const std::string& name, std::int32_t column) {
        automation::ignoringFailure([&] {
            required(required(xl_.activeWorkbook()).names())
                .add(name, "=Sheet1!R" + std::to_string(header_) + "C" + std::to_string(column));
        });
    }

    void setColumnWidth(const std::string& columns, double width) {
        automation::ignoringFailure([&] { required(xl_.columns(columns)).setColumnWidth(width); });
    }

    void drawBorders(std::int32_t row1, std::int32_t col1, std::int32_t row2, std::int32_t col2) {
        auto block = automation::objectOrNull([&] {
            auto first = xl_.cells(row1, col1);
            auto last = xl_.cells(row2, col2);
            return xl_.range(required(first), required(last));
        });
        if (block) DrawBorderSet(*block);
    }

    Application& xl_;
    const RowStore& rows_;
    RowStore* owned_;
    const ListContext& ctx_;
    const std::string path_;
    std::vector<int> named_;            // table entries with a name, in column order
    std::vector<std::int32_t> placed_;  // the list column of each of them
    std::int32_t lastColumn_ = kNumberColumn;
    bool updating_ = false;
    std::int32_t header_ = kDefaultHeaderRow;
    // The rows the list can take: its format's, or its sheet's when fewer.
    std::int32_t sheetRows_ = SheetRowsOf(ctx_.listFileName);
    std::shared_ptr<Range> cell_;
    // The cells of a row not yet entered, kept between rows for their room.
    std::vector<std::int32_t> rowColumns_;
    std::vector<Variant> rowEntries_;
    UserNotes notes_;
    ListWorkbookResult result_;
};

}  // namespace

std::string ListContext::listFilePath() const {
    return workingFolder + listFileName;
}

ListWorkbookResult BuildListWorkbook(Application& xl_app, const RowStore& rows,
                                     const ListContext& ctx) {
    return ListWriter(xl_app, rows, nullptr, ctx).run();
}

ListWorkbookResult BuildListWorkbook(Application& xl_app, RowStore&& rows, const ListContext& ctx) {
    RowStore owned = std::move(rows);
    return ListWriter(xl_app, owned, &owned, ctx).run();
}

}  // namespace mokuji::list_file
