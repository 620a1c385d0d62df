#pragma once

// An in-memory application for the readers of column definitions: each
// workbook is its defined names (in collection order, each on a cell of the
// first sheet or on nothing) and the values of its first sheet. Every call a
// reader makes is logged, and the world counts the instances alive.

#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "automation/object_model.h"
#include "support/open_call_text.h"

namespace fake::named {

using automation::AutomationError;
using automation::Variant;

struct NameDef {
    std::string name;
    // Row and column of the cell; none for a constant or a broken reference.
    std::optional<std::pair<int, int>> cell;
};

struct Book {
    std::vector<NameDef> names;
    std::map<std::pair<int, int>, Variant> firstSheetCells;
    std::optional<automation::OpenFailure> openFailure;
};

struct World {
    std::map<std::string, Book> books;  // by full path
    std::vector<std::string> log;
    int applicationsCreated = 0;
    int applicationsAlive = 0;
    bool failCreation = false;
    // Names.Count fails the way the application fails...
    bool namesCountFails = false;
    // ...or with something no automation call throws.
    bool namesCountThrowsOther = false;
};

class Cell : public automation::Range {
  public:
    Cell(World& w, const Book& b, int row, int col);
    Variant value() const override { return v_; }
    std::int32_t row() const override { return row_; }
    std::int32_t column() const override { return col_; }
    std::int32_t rowCount() const override { return 1; }
    std::int32_t columnCount() const override { return 1; }
    // Every cell of these books is on their one sheet.
    std::shared_ptr<automation::Worksheet> worksheet() const override;

  private:
    World& w_;
    const Book& b_;
    Variant v_;
    int row_, col_;
};

inline Variant valueAt(const Book& b, int row, int col) {
    auto it = b.firstSheetCells.find({row, col});
    return it == b.firstSheetCells.end() ? Variant() : it->second;
}

class Sheet : public automation::Worksheet {
  public:
    Sheet(World& w, const Book& b) : w_(w), b_(b) {}
    std::string name() const override { return "Sheet1"; }
    std::shared_ptr<automation::Range> cells(std::int32_t r, std::int32_t c) const override {
        w_.log.push_back("Cells(" + std::to_string(r) + "," + std::to_string(c) + ")");
        if (r < 1 || r > 65536 || c < 1 || c > 256) throw AutomationError(1004, "outside grid");
        return std::make_shared<Cell>(w_, b_, r, c);
    }
    std::shared_ptr<automation::Range> range(const std::string&) const override {
        throw AutomationError(1004, "not modelled");
    }

  private:
    World& w_;
    const Book& b_;
};

inline Cell::Cell(World& w, const Book& b, int row, int col)
    : w_(w), b_(b), v_(valueAt(b, row, col)), row_(row), col_(col) {}

inline std::shared_ptr<automation::Worksheet> Cell::worksheet() const {
    return std::make_shared<Sheet>(w_, b_);
}

class SheetList : public automation::Sheets {
  public:
    SheetList(World& w, const Book& b) : w_(w), b_(b) {}
    std::int32_t count() const override { return 1; }
    std::shared_ptr<automation::Worksheet> item(std::int32_t i) const override {
        if (i != 1) throw AutomationError(9, "subscript out of range");
        return std::make_shared<Sheet>(w_, b_);
    }
    std::shared_ptr<automation::Worksheet> item(const std::string&) const override {
        throw AutomationError(9, "subscript out of range");
    }

  private:
    World& w_;
    const Book& b_;
};

class DefinedName : public automation::Name {
  public:
    DefinedName(World& w, const Book& b, const NameDef& d) : w_(w), b_(b), d_(d) {}
    std::string name() const override { return d_.name; }
    std::string refersTo() const override { return "=not modelled"; }
    std::shared_ptr<automation::Range> refersToRange() const override {
        if (!d_.cell) throw AutomationError(1004, "refers to no range");
        auto [r, c] = *d_.cell;
        return std::make_shared<Cell>(w_, b_, r, c);
    }

  private:
    World& w_;
    const Book& b_;
    const NameDef& d_;
};

class NameList : public automation::Names {
  public:
    NameList(World& w, const Book& b) : w_(w), b_(b) {}
    std::int32_t count() const override {
        if (w_.namesCountFails) throw AutomationError(1004, "Names.Count failed");
        if (w_.namesCountThrowsOther) throw std::logic_error("not an automation failure");
        return static_cast<std::int32_t>(b_.names.size());
    }
    std::shared_ptr<automation::Name> item(std::int32_t i) const override {
        if (i < 1 || i > count()) throw AutomationError(1004, "no such name");
        return std::make_shared<DefinedName>(w_, b_, b_.names[static_cast<std::size_t>(i - 1)]);
    }

  private:
    World& w_;
    const Book& b_;
};

class NamedWorkbook : public automation::Workbook {
  public:
    NamedWorkbook(World& w, std::string path, const Book& b)
        : w_(w), path_(std::move(path)), b_(b) {}
    std::string name() const override { return path_; }
    std::string fullName() const override { return path_; }
    std::shared_ptr<automation::Sheets> sheets() const override {
        return std::make_shared<SheetList>(w_, b_);
    }
    std::shared_ptr<automation::Names> names() const override {
        return std::make_shared<NameList>(w_, b_);
    }
    std::shared_ptr<automation::DocumentProperty> builtinDocumentProperty(
        std::int32_t) const override {
        throw AutomationError(1004, "not modelled");
    }
    void close(bool saveChanges) override {
        w_.log.push_back(std::string("Workbook.Close(SaveChanges=") +
                         (saveChanges ? "true" : "false") + ")");
    }

  private:
    World& w_;
    std::string path_;
    const Book& b_;
};

class NamedWorkbooks : public automation::Workbooks {
  public:
    explicit NamedWorkbooks(World& w) : w_(w) {}
    std::shared_ptr<automation::Workbook> open(const automation::OpenArguments& a) override {
        w_.log.push_back(openCallText(a));
        auto it = w_.books.find(a.fileName);
        if (it == w_.books.end())
            throw AutomationError(1004, "no such file", automation::OpenFailure::NotFound);
        if (it->second.openFailure)
            throw AutomationError(1004, "cannot open", *it->second.openFailure);
        active_ = std::make_shared<NamedWorkbook>(w_, a.fileName, it->second);
        return active_;
    }
    void close() override {
        w_.log.push_back("Workbooks.Close");
        active_.reset();
    }
    std::int32_t count() const override { return active_ ? 1 : 0; }
    std::shared_ptr<automation::Workbook> item(std::int32_t i) const override {
        if (i != 1 || !active_) throw AutomationError(9, "subscript out of range");
        return active_;
    }

  private:
    World& w_;
    std::shared_ptr<NamedWorkbook> active_;
};

class NamedApplication : public automation::Application {
  public:
    explicit NamedApplication(World& w) : w_(w), books_(std::make_shared<NamedWorkbooks>(w)) {
        ++w_.applicationsCreated;
        ++w_.applicationsAlive;
    }
    ~NamedApplication() override { --w_.applicationsAlive; }
    std::shared_ptr<automation::Workbooks> workbooks() override { return books_; }
    void setEnableEvents(bool on) override {
        w_.log.push_back(std::string("EnableEvents=") + (on ? "true" : "false"));
    }
    void setDisplayAlerts(bool on) override {
        w_.log.push_back(std::string("DisplayAlerts=") + (on ? "true" : "false"));
    }
    void quit() override { w_.log.push_back("Quit"); }
    std::shared_ptr<automation::Range> range(const std::string&) override {
        throw AutomationError(1004, "not modelled");
    }
    std::shared_ptr<automation::Workbook> activeWorkbook() override {
        return books_->count() ? books_->item(1) : nullptr;
    }
    std::shared_ptr<automation::Worksheet> activeSheet() override { return nullptr; }

  private:
    World& w_;
    std::shared_ptr<NamedWorkbooks> books_;
};

inline automation::ApplicationFactory factoryFor(World& w) {
    return [&w]() -> std::unique_ptr<automation::Application> {
        if (w.failCreation)
            throw AutomationError(automation::errnum::kCannotCreateObject, "cannot create object");
        return std::make_unique<NamedApplication>(w);
    };
}

}  // namespace fake::named
