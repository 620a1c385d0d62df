#include "automation/fallback_application.h"

#include <exception>
#include <optional>
#include <utility>

namespace automation {

namespace {

// The two instances and which of them holds the latest workbook. Shared
// with the Workbooks handles, which may outlive the application object.
struct Instances {
    std::unique_ptr<Application> primary;
    ApplicationFactory createSecondary;
    std::unique_ptr<Application> secondary;
    bool secondaryTried = false;
    Application* current = nullptr;
    std::optional<bool> enableEvents;
    std::optional<bool> displayAlerts;

    Application& first() const {
        if (!primary) throw AutomationError(errnum::kObjectRequired, "the application has ended");
        return *primary;
    }
    Application& live() {
        Application& own = first();
        return current ? *current : own;
    }

    Application* secondaryInstance() {
        if (secondary || secondaryTried) return secondary.get();
        secondaryTried = true;
        try {
            auto app = createSecondary ? createSecondary() : nullptr;
            if (!app) return nullptr;
            if (enableEvents) app->setEnableEvents(*enableEvents);
            if (displayAlerts) app->setDisplayAlerts(*displayAlerts);
            secondary = std::move(app);
        } catch (const AutomationError&) {
            // An instance that half started is dropped with its error: the
            // file is then reported as the primary saw it.
        }
        return secondary.get();
    }
};

std::shared_ptr<Workbooks> workbooksOf(Application& app) {
    auto books = app.workbooks();
    if (!books) throw AutomationError(errnum::kObjectRequired, "the application has no workbooks");
    return books;
}

bool specific(OpenFailure cause) {
    return cause != OpenFailure::None && cause != OpenFailure::Other;
}

class FallbackWorkbooks final : public Workbooks {
  public:
    explicit FallbackWorkbooks(std::shared_ptr<Instances> in) : in_(std::move(in)) {}

    std::shared_ptr<Workbook> open(const OpenArguments& args) override {
        Application& primary = primaryInstance();
        try {
            auto book = workbooksOf(primary)->open(args);
            in_->current = &primary;
            return book;
        } catch (const AutomationError& primaryFailure) {
            if (!WorthRetrying(primaryFailure)) throw;
            Application* secondary = in_->secondaryInstance();
            if (!secondary) throw;
            try {
                auto book = workbooksOf(*secondary)->open(args);
                in_->current = secondary;
                return book;
            } catch (const AutomationError& secondaryFailure) {
                // The secondary may know more (the file is locked, say);
                // otherwise the primary's finding explains the file best.
                if (specific(secondaryFailure.openFailure())) throw;
                throw primaryFailure;
            }
        }
    }

    void close() override {
        std::exception_ptr first;
        for (Application* app : {in_->primary.get(), in_->secondary.get()}) {
            if (!app) continue;
            try {
                workbooksOf(*app)->close();
            } catch (const AutomationError&) {
                if (!first) first = std::current_exception();
            }
        }
        in_->current = nullptr;
        if (first) std::rethrow_exception(first);
    }

    std::int32_t count() const override {
        std::int32_t n = workbooksOf(primaryInstance())->count();
        if (in_->secondary) n += workbooksOf(*in_->secondary)->count();
        return n;
    }

    // The primary's workbooks first, then the secondary's.
    std::shared_ptr<Workbook> item(std::int32_t index) const override {
        auto own = workbooksOf(primaryInstance());
        const std::int32_t n = own->count();
        if (index <= n || !in_->secondary) return own->item(index);
        return workbooksOf(*in_->secondary)->item(index - n);
    }

    std::shared_ptr<Workbook> add() override {
        Application& primary = primaryInstance();
        auto book = workbooksOf(primary)->add();
        in_->current = &primary;
        return book;
    }
    std::shared_ptr<Workbook> addForPackage() override {
        Application& primary = primaryInstance();
        auto book = workbooksOf(primary)->addForPackage();
        in_->current = &primary;
        return book;
    }

  private:
    Application& primaryInstance() const { return in_->first(); }

    std::shared_ptr<Instances> in_;
};

class FallbackApplication final : public Application {
  public:
    explicit FallbackApplication(std::shared_ptr<Instances> in) : in_(std::move(in)) {}
    ~FallbackApplication() override {
        // Each instance's own destructor quits it if quit() was never called.
        in_->current = nullptr;
        in_->secondary.reset();
        in_->primary.reset();
    }

    std::shared_ptr<Workbooks> workbooks() override {
        in_->live();
        return std::make_shared<FallbackWorkbooks>(in_);
    }
    void setEnableEvents(bool on) override {
        in_->enableEvents = on;
        both([&](Application& a) { a.setEnableEvents(on); });
    }
    void setDisplayAlerts(bool on) override {
        in_->displayAlerts = on;
        both([&](Application& a) { a.setDisplayAlerts(on); });
    }
    void quit() override {
        both([](Application& a) { a.quit(); });
    }

    std::shared_ptr<Range> range(const std::string& text) override {
        return in_->live().range(text);
    }
    std::shared_ptr<Workbook> activeWorkbook() override { return in_->live().activeWorkbook(); }
    std::shared_ptr<Worksheet> activeSheet() override { return in_->live().activeSheet(); }
    std::shared_ptr<Range> range(const Range& first, const Range& last) override {
        return in_->live().range(first, last);
    }
    std::shared_ptr<Range> cells() override { return in_->live().cells(); }
    std::shared_ptr<Range> cells(std::int32_t row, std::int32_t column) override {
        return in_->live().cells(row, column);
    }
    std::shared_ptr<Range> rows(const std::string& text) override { return in_->live().rows(text); }
    std::shared_ptr<Range> columns(const std::string& text) override {
        return in_->live().columns(text);
    }
    std::shared_ptr<Worksheet> sheets(const std::string& name) override {
        return in_->live().sheets(name);
    }
    std::shared_ptr<Range> selection() override { return in_->live().selection(); }
    std::shared_ptr<Range> activeCell() override { return in_->live().activeCell(); }
    void deleteSelectedSheets() override { in_->live().deleteSelectedSheets(); }
    bool enterRow(std::int32_t row, std::span<const std::int32_t> columns,
                  std::span<const Variant> entries) override {
        return in_->live().enterRow(row, columns, entries);
    }

  private:
    // Every instance gets the call, also when an earlier one failed; the
    // first failure is then reported.
    template <typename Step>
    void both(Step step) {
        in_->live();
        std::exception_ptr first;
        for (Application* app : {in_->primary.get(), in_->secondary.get()}) {
            if (!app) continue;
            try {
                step(*app);
            } catch (const AutomationError&) {
                if (!first) first = std::current_exception();
            }
        }
        if (first) std::rethrow_exception(first);
    }

    std::shared_ptr<Instances> in_;
};

}  // namespace

bool WorthRetrying(const AutomationError& primaryFailure) {
    switch (primaryFailure.openFailure()) {
        case OpenFailure::UnsupportedFormat:
            return true;
        // A zip-based workbook the engine found damaged may still open in
        // the application, which repairs what it can.
        case OpenFailure::Damaged:
            return primaryFailure.foundContent() == FileContent::ZipWorkbook;
        case OpenFailure::NotAWorkbook:
            switch (primaryFailure.foundContent()) {
                case FileContent::ZipWorkbook:
                case FileContent::OpenDocumentSheet:
                case FileContent::XmlSpreadsheet:
                case FileContent::Html:
                case FileContent::WebArchive:
                case FileContent::EarlyWorkbook:
                    return true;
                default:
                    return false;
            }
        default:
            return false;
    }
}

std::unique_ptr<Application> MakeFallbackApplication(std::unique_ptr<Application> primary,
                                                     ApplicationFactory createSecondary) {
    auto in = std::make_shared<Instances>();
    in->primary = std::move(primary);
    in->createSecondary = std::move(createSecondary);
    return std::make_unique<FallbackApplication>(std::move(in));
}

}  // namespace automation
