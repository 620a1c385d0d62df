#include "automation/native/native_application.h"

#include <algorithm>
#include <vector>

#include "automation/ignoring_failure.h"
#include "automation/native/editable_book.h"
#include "automation/native/editable_objects.h"
#include "automation/native/name_lookup.h"
#include "automation/native/native_objects.h"

namespace xls::native {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;

// A workbook opened read-only: the fast reader, nothing to change or save.
class ReadOnlyBook : public OpenBook {
  public:
    explicit ReadOnlyBook(std::shared_ptr<WorkbookData> data) : data_(std::move(data)) {}

    std::string name() const override { return nameOfFullName(data_->path()); }
    std::string fullName() const override { return data_->path(); }
    std::shared_ptr<automation::Sheets> sheets() const override {
        return std::make_shared<NativeSheets>(data_);
    }
    std::shared_ptr<automation::Names> names() const override {
        return std::make_shared<NativeNames>(data_);
    }
    std::shared_ptr<automation::DocumentProperty> builtinDocumentProperty(
        std::int32_t index) const override {
        if (index < 1 || index > 30)
            throw AutomationError(errnum::kInvalidProcedureCall,
                                  "no built-in document property " + std::to_string(index));
        return std::make_shared<NativeDocumentProperty>(data_, index);
    }
    void save() override {
        throw AutomationError(errnum::kApplicationDefined,
                              "workbook '" + name() + "' was opened read-only");
    }
    void saveAs(const automation::SaveAsArguments&) override { save(); }

    std::shared_ptr<automation::Range> resolve(const std::string& text) override {
        return resolveRange(data_, data_->activeSheet(), text);
    }
    std::shared_ptr<automation::Worksheet> activeWorksheet() override {
        return std::make_shared<NativeWorksheet>(data_, data_->activeSheet());
    }

  private:
    std::shared_ptr<WorkbookData> data_;
};

class NativeWorkbooks : public automation::Workbooks, public BookList {
  public:
    ~NativeWorkbooks() override { close(); }

    std::shared_ptr<automation::Workbook> open(const automation::OpenArguments& args) override {
        // A workbook opened read-only is only read: the fast reader serves
        // it. One opened for writing goes into the editable model.
        std::shared_ptr<OpenBook> book;
        if (args.readOnly.value_or(false)) {
            book = std::make_shared<ReadOnlyBook>(WorkbookData::load(args.fileName));
        } else {
            book = EditableBook::open(args.fileName);
        }
        return keep(std::move(book));
    }
    std::shared_ptr<automation::Workbook> add() override {
        return keep(EditableBook::createBlank("Book" + std::to_string(++added_)));
    }
    std::shared_ptr<automation::Workbook> addForPackage() override {
        return keep(
            EditableBook::createBlank("Book" + std::to_string(++added_), formula::kPackageGrid));
    }
    void close() override {
        for (auto& b : open_) b->detach();
        open_.clear();
    }
    std::int32_t count() const override { return static_cast<std::int32_t>(open_.size()); }
    std::shared_ptr<automation::Workbook> item(std::int32_t index) const override {
        if (index < 1 || index > count())
            throw AutomationError(
                errnum::kSubscriptOutOfRange,
                "workbook " + std::to_string(index) + " of " + std::to_string(count()));
        return open_[static_cast<std::size_t>(index - 1)];
    }

    // The most recently opened workbook is the active one.
    std::shared_ptr<OpenBook> active() const { return open_.empty() ? nullptr : open_.back(); }
    void remove(const OpenBook* book) override {
        std::erase_if(open_, [book](const auto& b) { return b.get() == book; });
    }

  private:
    std::shared_ptr<OpenBook> keep(std::shared_ptr<OpenBook> book) {
        book->attach(this);
        open_.push_back(book);
        return book;
    }

    std::vector<std::shared_ptr<OpenBook>> open_;
    int added_ = 0;
};

class NativeApplication : public automation::Application {
  public:
    std::shared_ptr<automation::Workbooks> workbooks() override { return books_; }
    void setEnableEvents(bool) override {}   // the engine runs no macros at all
    void setDisplayAlerts(bool) override {}  // nor asks anything
    void quit() override { books_->close(); }
    // Instances share nothing but the code page converters, which lock.
    bool readsInParallel() const override { return true; }

    std::shared_ptr<automation::Range> range(const std::string& text) override {
        return requireActive().resolve(text);
    }
    std::shared_ptr<automation::Workbook> activeWorkbook() override { return books_->active(); }
    std::shared_ptr<automation::Worksheet> activeSheet() override {
        auto book = books_->active();
        return book ? book->activeWorksheet() : nullptr;
    }
    std::shared_ptr<automation::Range> range(const automation::Range& first,
                                             const automation::Range& last) override {
        return requireActive().span(first, last);
    }
    std::shared_ptr<automation::Range> cells() override { return requireActive().allCells(); }
    std::shared_ptr<automation::Range> cells(std::int32_t row, std::int32_t column) override {
        return requireActive().activeWorksheet()->cells(row, column);
    }
    std::shared_ptr<automation::Range> rows(const std::string& text) override {
        return requireActive().rows(text);
    }
    std::shared_ptr<automation::Range> columns(const std::string& text) override {
        return requireActive().columns(text);
    }
    std::shared_ptr<automation::Worksheet> sheets(const std::string& name) override {
        return requireActive().sheets()->item(name);
    }
    std::shared_ptr<automation::Range> selection() override { return requireActive().selection(); }
    std::shared_ptr<automation::Range> activeCell() override {
        return requireActive().activeCell();
    }
    void deleteSelectedSheets() override { requireActive().deleteSelectedSheets(); }
    bool enterRow(std::int32_t row, std::span<const std::int32_t> columns,
                  std::span<const automation::Variant> entries) override {
        std::shared_ptr<automation::Worksheet> sheet;
        automation::ignoringFailure([&] { sheet = requireActive().activeWorksheet(); });
        if (auto* editable = dynamic_cast<EditableWorksheet*>(sheet.get()))
            return editable->enterRow(row, columns, entries);
        return Application::enterRow(row, columns, entries);
    }

  private:
    OpenBook& requireActive() {
        auto book = books_->active();
        if (!book) throw AutomationError(errnum::kApplicationDefined, "no workbook is open");
        return *book;
    }

    std::shared_ptr<NativeWorkbooks> books_ = std::make_shared<NativeWorkbooks>();
};

}  // namespace

std::unique_ptr<automation::Application> createApplication() {
    return std::make_unique<NativeApplication>();
}

}  // namespace xls::native
