#pragma once

// An in-memory stand-in for the automation object model: workbooks are
// described by their named values, first-sheet cells and properties, and
// every call is logged so tests can check what a caller asked for.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "automation/object_model.h"
#include "support/open_call_text.h"

namespace fake {

using automation::AutomationError;
using automation::Variant;

struct FakeBook {
    std::map<std::string, Variant> names;  // value of Range(name)
    std::map<std::pair<int, int>, Variant> firstSheetCells;
    std::map<int, std::pair<std::int32_t, Variant>> properties;  // index -> type, value
    std::optional<automation::OpenFailure> openFailure;
    automation::FileContent openContent = automation::FileContent::Unknown;
    bool firstSheetIsChart = false;
};

struct World {
    std::map<std::string, FakeBook> books;  // by full path
    std::vector<std::string> log;
    int applicationsCreated = 0;
    int applicationsAlive = 0;
    bool failCreation = false;
};

inline Variant severalCells() {
    auto a = std::make_shared<automation::VariantArray>();
    a->rows = 2;
    a->columns = 1;
    a->items = {Variant(1.0), Variant(2.0)};
    return Variant(std::shared_ptr<const automation::VariantArray>(a));
}

class FakeRange : public automation::Range {
  public:
    explicit FakeRange(Variant v, int row = 1, int col = 1)
        : v_(std::move(v)), row_(row), col_(col) {}
    Variant value() const override { return v_; }
    std::int32_t row() const override { return row_; }
    std::int32_t column() const override { return col_; }
    std::int32_t rowCount() const override { return 1; }
    std::int32_t columnCount() const override { return 1; }
    std::shared_ptr<automation::Worksheet> worksheet() const override { return nullptr; }

  private:
    Variant v_;
    int row_, col_;
};

class FakeSheet : public automation::Worksheet {
  public:
    FakeSheet(World& w, const FakeBook& b) : w_(w), b_(b) {}
    std::string name() const override { return "Sheet1"; }
    std::shared_ptr<automation::Range> cells(std::int32_t r, std::int32_t c) const override {
        w_.log.push_back("Sheets(1).Cells(" + std::to_string(r) + "," + std::to_string(c) + ")");
        if (b_.firstSheetIsChart) throw AutomationError(438, "chart sheet has no cells");
        if (r < 1 || r > 65536 || c < 1 || c > 256) throw AutomationError(1004, "outside grid");
        auto it = b_.firstSheetCells.find({r, c});
        return std::make_shared<FakeRange>(it == b_.firstSheetCells.end() ? Variant() : it->second,
                                           r, c);
    }
    std::shared_ptr<automation::Range> range(const std::string&) const override {
        throw AutomationError(1004, "not modelled");
    }

  private:
    World& w_;
    const FakeBook& b_;
};

class FakeSheets : public automation::Sheets {
  public:
    FakeSheets(World& w, const FakeBook& b) : w_(w), b_(b) {}
    std::int32_t count() const override { return 1; }
    std::shared_ptr<automation::Worksheet> item(std::int32_t i) const override {
        if (i != 1) throw AutomationError(9, "subscript out of range");
        return std::make_shared<FakeSheet>(w_, b_);
    }
    std::shared_ptr<automation::Worksheet> item(const std::string&) const override {
        throw AutomationError(9, "subscript out of range");
    }

  private:
    World& w_;
    const FakeBook& b_;
};

class FakeProperty : public automation::DocumentProperty {
  public:
    FakeProperty(std::int32_t type, std::optional<Variant> v) : type_(type), v_(std::move(v)) {}
    std::string name() const override { return ""; }
    std::int32_t type() const override { return type_; }
    Variant value() const override {
        if (!v_) throw AutomationError(automation::errnum::kAutomationFailure, "not set");
        return *v_;
    }

  private:
    std::int32_t type_;
    std::optional<Variant> v_;
};

class FakeWorkbook : public automation::Workbook {
  public:
    FakeWorkbook(World& w, std::string path, const FakeBook& b)
        : w_(w), path_(std::move(path)), b_(b) {}
    std::string name() const override { return path_; }
    std::string fullName() const override { return path_; }
    std::shared_ptr<automation::Sheets> sheets() const override {
        return std::make_shared<FakeSheets>(w_, b_);
    }
    std::shared_ptr<automation::Names> names() const override {
        throw AutomationError(1004, "not modelled");
    }
    std::shared_ptr<automation::DocumentProperty> builtinDocumentProperty(
        std::int32_t k) const override {
        w_.log.push_back("BuiltinDocumentProperties(" + std::to_string(k) + ")");
        auto it = b_.properties.find(k);
        if (it == b_.properties.end()) return std::make_shared<FakeProperty>(4, std::nullopt);
        return std::make_shared<FakeProperty>(it->second.first, it->second.second);
    }
    void close(bool saveChanges) override {
        w_.log.push_back(std::string("Workbook.Close(SaveChanges=") +
                         (saveChanges ? "true" : "false") + ")");
    }
    const FakeBook& book() const { return b_; }

  private:
    World& w_;
    std::string path_;
    const FakeBook& b_;
};

class FakeWorkbooks : public automation::Workbooks {
  public:
    explicit FakeWorkbooks(World& w) : w_(w) {}
    std::shared_ptr<automation::Workbook> open(const automation::OpenArguments& a) override {
        w_.log.push_back(openCallText(a));
        auto it = w_.books.find(a.fileName);
        if (it == w_.books.end())
            throw AutomationError(1004, "no such file", automation::OpenFailure::NotFound);
        if (it->second.openFailure)
            throw AutomationError(1004, "cannot open", *it->second.openFailure,
                                  it->second.openContent);
        active = std::make_shared<FakeWorkbook>(w_, a.fileName, it->second);
        return active;
    }
    void close() override {
        w_.log.push_back("Workbooks.Close");
        active.reset();
    }
    std::int32_t count() const override { return active ? 1 : 0; }
    std::shared_ptr<automation::Workbook> item(std::int32_t i) const override {
        if (i != 1 || !active) throw AutomationError(9, "subscript out of range");
        return active;
    }
    std::shared_ptr<FakeWorkbook> active;

  private:
    World& w_;
};

class FakeApplication : public automation::Application {
  public:
    explicit FakeApplication(World& w) : w_(w), books_(std::make_shared<FakeWorkbooks>(w)) {
        ++w_.applicationsCreated;
        ++w_.applicationsAlive;
    }
    ~FakeApplication() override { --w_.applicationsAlive; }
    std::shared_ptr<automation::Workbooks> workbooks() override { return books_; }
    void setEnableEvents(bool on) override {
        w_.log.push_back(std::string("EnableEvents=") + (on ? "true" : "false"));
    }
    void setDisplayAlerts(bool on) override {
        w_.log.push_back(std::string("DisplayAlerts=") + (on ? "true" : "false"));
    }
    void quit() override { w_.log.push_back("Quit"); }
    std::shared_ptr<automation::Range> range(const std::string& text) override {
        w_.log.push_back("Range(" + text + ")");
        if (!books_->active) throw AutomationError(1004, "no active workbook");
        const auto& names = books_->active->book().names;
        auto it = names.find(text);
        if (it == names.end()) throw AutomationError(1004, "no such name");
        return std::make_shared<FakeRange>(it->second);
    }
    std::shared_ptr<automation::Workbook> activeWorkbook() override { return books_->active; }
    std::shared_ptr<automation::Worksheet> activeSheet() override { return nullptr; }

  private:
    World& w_;
    std::shared_ptr<FakeWorkbooks> books_;
};

inline automation::ApplicationFactory factoryFor(World& w) {
    return [&w]() -> std::unique_ptr<automation::Application> {
        if (w.failCreation)
            throw AutomationError(automation::errnum::kCannotCreateObject, "cannot create object");
        return std::make_unique<FakeApplication>(w);
    };
}

}  // namespace fake
