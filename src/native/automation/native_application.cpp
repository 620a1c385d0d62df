#include "native/automation/native_application.h"

#include <algorithm>
#include <vector>

#include "native/automation/name_lookup.h"
#include "native/automation/native_objects.h"

namespace xls::native {

namespace {

using automation::AutomationError;
namespace errnum = automation::errnum;

class NativeWorkbooks;

class NativeWorkbook : public automation::Workbook,
                       public std::enable_shared_from_this<NativeWorkbook> {
  public:
    NativeWorkbook(std::shared_ptr<WorkbookData> data, NativeWorkbooks& owner)
        : data_(std::move(data)), owner_(&owner) {}

    std::string name() const override {
        const std::string& p = data_->path();
        auto cut = p.find_last_of("/\\");
        return cut == std::string::npos ? p : p.substr(cut + 1);
    }
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
    void close(bool saveChanges) override;

    const std::shared_ptr<WorkbookData>& data() const { return data_; }
    void detach() { owner_ = nullptr; }

  private:
    std::shared_ptr<WorkbookData> data_;
    NativeWorkbooks* owner_;
};

class NativeWorkbooks : public automation::Workbooks {
  public:
    ~NativeWorkbooks() override { close(); }

    std::shared_ptr<automation::Workbook> open(const automation::OpenArguments& args) override {
        // Reading is all this engine does with an opened workbook, so the
        // read-only and link options change nothing here.
        auto book = std::make_shared<NativeWorkbook>(WorkbookData::load(args.fileName), *this);
        open_.push_back(book);
        return book;
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
    std::shared_ptr<NativeWorkbook> active() const {
        return open_.empty() ? nullptr : open_.back();
    }
    void remove(const NativeWorkbook* book) {
        std::erase_if(open_, [book](const auto& b) { return b.get() == book; });
    }

  private:
    std::vector<std::shared_ptr<NativeWorkbook>> open_;
};

void NativeWorkbook::close(bool /*saveChanges*/) {
    if (!owner_)
        throw AutomationError(errnum::kApplicationDefined, "workbook '" + name() + "' is closed");
    auto* owner = owner_;
    owner_ = nullptr;
    owner->remove(this);
}

class NativeApplication : public automation::Application {
  public:
    std::shared_ptr<automation::Workbooks> workbooks() override { return books_; }
    void setEnableEvents(bool) override {}   // the engine runs no macros at all
    void setDisplayAlerts(bool) override {}  // nor asks anything
    void quit() override { books_->close(); }

    std::shared_ptr<automation::Range> range(const std::string& text) override {
        auto book = requireActive();
        return resolveRange(book->data(), book->data()->activeSheet(), text);
    }
    std::shared_ptr<automation::Workbook> activeWorkbook() override { return books_->active(); }
    std::shared_ptr<automation::Worksheet> activeSheet() override {
        auto book = books_->active();
        if (!book) return nullptr;
        return std::make_shared<NativeWorksheet>(book->data(), book->data()->activeSheet());
    }

  private:
    std::shared_ptr<NativeWorkbook> requireActive() {
        auto book = books_->active();
        if (!book) throw AutomationError(errnum::kApplicationDefined, "no workbook is open");
        return book;
    }

    std::shared_ptr<NativeWorkbooks> books_ = std::make_shared<NativeWorkbooks>();
};

}  // namespace

std::unique_ptr<automation::Application> createApplication() {
    return std::make_unique<NativeApplication>();
}

}  // namespace xls::native
