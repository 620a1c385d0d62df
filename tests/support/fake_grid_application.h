#pragma once

// An in-memory application for code that writes workbooks: new and opened
// workbooks are grids (grid_model.h); what a writer enters, formats, names,
// links, deletes and saves can be read back from them.

#include <algorithm>
#include <cctype>
#include <memory>
#include <string>

#include "automation/object_model.h"
#include "support/grid_model.h"

namespace fake::grid {

namespace xl = automation::xl;

inline std::string onOff(bool b) {
    return b ? "true" : "false";
}
inline std::string number(double d) {
    std::string s = std::to_string(d);
    s.erase(s.find_last_not_of('0') + 1);
    if (s.back() == '.') s.pop_back();
    return s;
}

class GridRange;

class GridInterior : public automation::Interior {
  public:
    GridInterior(World& w, std::map<std::string, std::string>& f) : w_(w), f_(f) {}
    void setColorIndex(std::int32_t i) override { set("Interior.ColorIndex", i); }
    void setPattern(std::int32_t p) override { set("Interior.Pattern", p); }

  private:
    void set(const std::string& member, std::int32_t v) {
        w_.check(member);
        f_[member] = std::to_string(v);
    }
    World& w_;
    std::map<std::string, std::string>& f_;
};

class GridBorder : public automation::Border {
  public:
    GridBorder(World& w, std::map<std::string, std::string>& f, std::int32_t index)
        : w_(w), f_(f), prefix_("Borders(" + std::to_string(index) + ").") {}
    void setLineStyle(std::int32_t v) override { set("LineStyle", v); }
    void setWeight(std::int32_t v) override { set("Weight", v); }
    void setColorIndex(std::int32_t v) override { set("ColorIndex", v); }

  private:
    void set(const std::string& member, std::int32_t v) {
        w_.check("Border." + member);
        f_[prefix_ + member] = std::to_string(v);
    }
    World& w_;
    std::map<std::string, std::string>& f_;
    std::string prefix_;
};

class GridWorksheet;

// A block of one sheet: a cell, a block of cells, whole rows or columns, or
// every cell; formatting is recorded under its address.
class GridRange : public automation::Range {
  public:
    GridRange(World& w, std::shared_ptr<Book> b, std::shared_ptr<Sheet> s, int r1, int c1, int r2,
              int c2, std::string address)
        : w_(w),
          b_(std::move(b)),
          s_(std::move(s)),
          r1_(r1),
          c1_(c1),
          r2_(r2),
          c2_(c2),
          address_(std::move(address)) {}

    Variant value() const override {
        w_.check("Range.Value");
        if (!single()) throw AutomationError(1004, "several cells: not modelled");
        return s_->value(r1_, c1_);
    }
    std::int32_t row() const override { return r1_; }
    std::int32_t column() const override { return c1_; }
    std::int32_t rowCount() const override { return r2_ - r1_ + 1; }
    std::int32_t columnCount() const override { return c2_ - c1_ + 1; }
    std::shared_ptr<automation::Worksheet> worksheet() const override;

    void setFormulaR1C1(const Variant& v) override {
        w_.check("Range.FormulaR1C1");
        if (!single()) throw AutomationError(1004, "entry into several cells: not modelled");
        Cell c = typedEntry(v);
        const std::string* s = c.value.get<std::string>();
        if (c.value.isEmpty() || (s && s->empty())) {
            s_->cells.erase({r1_, c1_});
        } else {
            s_->cells[{r1_, c1_}] = c;
        }
    }
    void deleteShift(std::int32_t shift) override {
        w_.check("Range.Delete");
        if (shift != xl::kShiftUp || c1_ != 1 || c2_ != 256)
            throw AutomationError(1004, "only whole rows shifted up are modelled");
        w_.log.push_back("Delete(" + address_ + ")");
        s_->deleteRows(r1_, r2_);
    }
    void setColumnWidth(double v) override { set("ColumnWidth", number(v)); }
    void setRowHeight(double v) override { set("RowHeight", number(v)); }
    void setHorizontalAlignment(std::int32_t v) override {
        set("HorizontalAlignment", std::to_string(v));
    }
    void setVerticalAlignment(std::int32_t v) override {
        set("VerticalAlignment", std::to_string(v));
    }
    void setOrientation(std::int32_t v) override { set("Orientation", std::to_string(v)); }
    void setAddIndent(bool v) override { set("AddIndent", onOff(v)); }
    void setIndentLevel(std::int32_t v) override { set("IndentLevel", std::to_string(v)); }
    void setWrapText(bool v) override { set("WrapText", onOff(v)); }
    void setShrinkToFit(bool v) override { set("ShrinkToFit", onOff(v)); }
    void setMergeCells(bool v) override { set("MergeCells", onOff(v)); }
    std::shared_ptr<automation::Interior> interior() override {
        return std::make_shared<GridInterior>(w_, s_->formats[address_]);
    }
    std::shared_ptr<automation::Border> borders(std::int32_t i) override {
        return std::make_shared<GridBorder>(w_, s_->formats[address_], i);
    }

    const std::shared_ptr<Book>& book() const { return b_; }
    const std::shared_ptr<Sheet>& sheet() const { return s_; }
    int lastRow() const { return r2_; }
    int lastColumn() const { return c2_; }

  private:
    bool single() const { return r1_ == r2_ && c1_ == c2_; }
    void set(const std::string& member, std::string value) {
        w_.check("Range." + member);
        s_->formats[address_][member] = std::move(value);
    }

    World& w_;
    std::shared_ptr<Book> b_;
    std::shared_ptr<Sheet> s_;
    int r1_, c1_, r2_, c2_;
    std::string address_;
};

inline std::shared_ptr<GridRange> cellRange(World& w, std::shared_ptr<Book> b,
                                            std::shared_ptr<Sheet> s, int row, int column) {
    if (row < 1 || row > w.sheetRows || column < 1 || column > 256)
        throw AutomationError(1004, "outside the grid");
    return std::make_shared<GridRange>(w, std::move(b), std::move(s), row, column, row, column,
                                       a1(row, column));
}

class GridWorksheet : public automation::Worksheet {
  public:
    GridWorksheet(World& w, std::shared_ptr<Book> b, std::shared_ptr<Sheet> s)
        : w_(w), b_(std::move(b)), s_(std::move(s)) {}
    std::string name() const override { return s_->name; }
    std::shared_ptr<automation::Range> cells(std::int32_t r, std::int32_t c) const override {
        return cellRange(w_, b_, s_, r, c);
    }
    std::shared_ptr<automation::Range> range(const std::string&) const override {
        throw AutomationError(1004, "not modelled");
    }
    void setName(const std::string& name) override {
        w_.check("Worksheet.Name");
        if (b_->sheet(name)) throw AutomationError(1004, "a sheet of that name exists");
        // The application keeps names pointing at the renamed sheet.
        for (auto& [n, ref] : b_->names) {
            if (ref.starts_with("=" + s_->name + "!"))
                ref = "=" + name + ref.substr(s_->name.size() + 1);
        }
        s_->name = name;
    }
    void select() override {
        w_.check("Worksheet.Select");
        if (std::find(b_->sheets.begin(), b_->sheets.end(), s_) == b_->sheets.end())
            throw AutomationError(1004, "sheet was deleted");
        w_.log.push_back("Select(" + s_->name + ")");
        b_->active = s_;
        b_->selected = {s_.get()};
    }
    void addHyperlink(const automation::Range& anchor, const std::string& address,
                      const std::string& text) override {
        w_.check("Hyperlinks.Add");
        s_->hyperlinks[{anchor.row(), anchor.column()}] = {address, text};
    }

  private:
    World& w_;
    std::shared_ptr<Book> b_;
    std::shared_ptr<Sheet> s_;
};

inline std::shared_ptr<automation::Worksheet> GridRange::worksheet() const {
    return std::make_shared<GridWorksheet>(w_, b_, s_);
}

class GridSheets : public automation::Sheets {
  public:
    GridSheets(World& w, std::shared_ptr<Book> b) : w_(w), b_(std::move(b)) {}
    std::int32_t count() const override { return static_cast<std::int32_t>(b_->sheets.size()); }
    std::shared_ptr<automation::Worksheet> item(std::int32_t i) const override {
        if (i < 1 || i > count()) throw AutomationError(9, "subscript out of range");
        return std::make_shared<GridWorksheet>(w_, b_, b_->sheets[i - 1]);
    }
    std::shared_ptr<automation::Worksheet> item(const std::string& name) const override {
        auto s = b_->sheet(name);
        if (!s) throw AutomationError(9, "subscript out of range");
        return std::make_shared<GridWorksheet>(w_, b_, s);
    }

  private:
    World& w_;
    std::shared_ptr<Book> b_;
};

// The cell a name of the book refers to ("=Sheet!R<row>C<column>").
inline std::shared_ptr<automation::Range> namedCell(World& w, const std::shared_ptr<Book>& b,
                                                    const std::string& name) {
    auto it = b->names.find(name);
    if (it == b->names.end()) throw AutomationError(1004, "no such name");
    const std::string& ref = it->second;
    std::size_t bang = ref.rfind('!'), c = ref.rfind('C');
    auto s = b->sheet(ref.substr(1, bang - 1));
    if (!s) throw AutomationError(1004, "name refers to a missing sheet");
    return cellRange(w, b, s, std::stoi(ref.substr(bang + 2, c - bang - 2)),
                     std::stoi(ref.substr(c + 1)));
}

class GridName : public automation::Name {
  public:
    GridName(World& w, std::shared_ptr<Book> b, std::string name)
        : w_(w), b_(std::move(b)), name_(std::move(name)) {}
    std::string name() const override { return name_; }
    std::string refersTo() const override { return b_->names.at(name_); }
    std::shared_ptr<automation::Range> refersToRange() const override {
        return namedCell(w_, b_, name_);
    }

  private:
    World& w_;
    std::shared_ptr<Book> b_;
    std::string name_;
};

class GridNames : public automation::Names {
  public:
    GridNames(World& w, std::shared_ptr<Book> b) : w_(w), b_(std::move(b)) {}
    std::int32_t count() const override { return static_cast<std::int32_t>(b_->names.size()); }
    // In the order of their texts, as the map keeps them.
    std::shared_ptr<automation::Name> item(std::int32_t i) const override {
        if (i < 1 || i > count()) throw AutomationError(9, "subscript out of range");
        return std::make_shared<GridName>(w_, b_, std::next(b_->names.begin(), i - 1)->first);
    }
    void add(const std::string& name, const std::string& refersToR1C1) override {
        w_.check("Names.Add");
        // Refused as the application refuses them: empty, blanks, a digit first.
        if (name.empty() || name.find(' ') != std::string::npos ||
            std::isdigit(static_cast<unsigned char>(name[0])))
            throw AutomationError(1004, "not a valid name");
        b_->names[name] = refersToR1C1;
    }
    void add(const std::string& name, const automation::Range& refersTo) override {
        auto& r = dynamic_cast<const GridRange&>(refersTo);
        add(name, "=" + r.sheet()->name + "!R" + std::to_string(r.row()) + "C" +
                      std::to_string(r.column()));
    }

  private:
    World& w_;
    std::shared_ptr<Book> b_;
};

class GridWorkbook : public automation::Workbook {
  public:
    GridWorkbook(World& w, std::shared_ptr<Book> b) : w_(w), b_(std::move(b)) {}
    std::string name() const override { return b_->fullName; }
    std::string fullName() const override { return b_->fullName; }
    std::shared_ptr<automation::Sheets> sheets() const override {
        return std::make_shared<GridSheets>(w_, b_);
    }
    std::shared_ptr<automation::Names> names() const override {
        return std::make_shared<GridNames>(w_, b_);
    }
    std::shared_ptr<automation::DocumentProperty> builtinDocumentProperty(
        std::int32_t) const override {
        throw AutomationError(1004, "not modelled");
    }
    void close(bool) override {
        std::erase(w_.open, b_);
        if (w_.active == b_) w_.active = w_.open.empty() ? nullptr : w_.open.front();
    }
    void save() override {
        w_.check("Workbook.Save");
        if (b_->fullName.empty()) throw AutomationError(1004, "never saved: not modelled");
        w_.log.push_back("Save(" + b_->fullName + ")");
        w_.files[b_->fullName] = b_->clone();
    }
    void saveAs(const automation::SaveAsArguments& a) override {
        w_.check("Workbook.SaveAs");
        std::string entry = "SaveAs(FileName=" + a.fileName;
        if (a.password) entry += ",Password=" + *a.password;
        if (a.writeResPassword) entry += ",WriteResPassword=" + *a.writeResPassword;
        if (a.readOnlyRecommended) entry += ",ReadOnlyRecommended=" + onOff(*a.readOnlyRecommended);
        if (a.createBackup) entry += ",CreateBackup=" + onOff(*a.createBackup);
        w_.log.push_back(entry + ")");
        b_->fullName = a.fileName;
        w_.files[a.fileName] = b_->clone();
    }

  private:
    World& w_;
    std::shared_ptr<Book> b_;
};

class GridWorkbooks : public automation::Workbooks {
  public:
    explicit GridWorkbooks(World& w) : w_(w) {}
    std::shared_ptr<automation::Workbook> open(const automation::OpenArguments& a) override {
        w_.check("Workbooks.Open");
        std::string entry = "Open(FileName=" + a.fileName;
        if (a.updateLinks) entry += ",UpdateLinks=" + std::to_string(*a.updateLinks);
        if (a.readOnly) entry += ",ReadOnly=" + onOff(*a.readOnly);
        if (a.ignoreReadOnlyRecommended)
            entry += ",IgnoreReadOnlyRecommended=" + onOff(*a.ignoreReadOnlyRecommended);
        w_.log.push_back(entry + ")");
        auto it = w_.files.find(a.fileName);
        if (it == w_.files.end())
            throw AutomationError(1004, "no such file", automation::OpenFailure::NotFound);
        return activate(it->second->clone());
    }
    std::shared_ptr<automation::Workbook> add() override {
        w_.check("Workbooks.Add");
        w_.log.push_back("Add");
        auto b = std::make_shared<Book>();
        for (int i = 1; i <= w_.sheetsInNewWorkbook; ++i) {
            b->sheets.push_back(std::make_shared<Sheet>());
            b->sheets.back()->name = "Sheet" + std::to_string(i);
        }
        b->active = b->sheets.front();
        b->selected = {b->active.get()};
        ++w_.booksAdded;
        return activate(b);
    }
    void close() override {
        w_.open.clear();
        w_.active = nullptr;
    }
    std::int32_t count() const override { return static_cast<std::int32_t>(w_.open.size()); }
    std::shared_ptr<automation::Workbook> item(std::int32_t i) const override {
        if (i < 1 || i > count()) throw AutomationError(9, "subscript out of range");
        return std::make_shared<GridWorkbook>(w_, w_.open[i - 1]);
    }

  private:
    std::shared_ptr<automation::Workbook> activate(std::shared_ptr<Book> b) {
        w_.open.push_back(b);
        w_.active = b;
        return std::make_shared<GridWorkbook>(w_, b);
    }
    World& w_;
};

class GridApplication : public automation::Application {
  public:
    explicit GridApplication(World& w) : w_(w), books_(std::make_shared<GridWorkbooks>(w)) {}
    std::shared_ptr<automation::Workbooks> workbooks() override { return books_; }
    void setEnableEvents(bool on) override { w_.log.push_back("EnableEvents=" + onOff(on)); }
    void setDisplayAlerts(bool on) override { w_.log.push_back("DisplayAlerts=" + onOff(on)); }
    void quit() override { w_.log.push_back("Quit"); }

    // Defined names of the active workbook only.
    std::shared_ptr<automation::Range> range(const std::string& text) override {
        return namedCell(w_, book(), text);
    }
    std::shared_ptr<automation::Workbook> activeWorkbook() override {
        return w_.active ? std::make_shared<GridWorkbook>(w_, w_.active) : nullptr;
    }
    std::shared_ptr<automation::Worksheet> activeSheet() override {
        return std::make_shared<GridWorksheet>(w_, book(), book()->active);
    }
    std::shared_ptr<automation::Range> range(const automation::Range& first,
                                             const automation::Range& last) override {
        auto& f = dynamic_cast<const GridRange&>(first);
        auto& l = dynamic_cast<const GridRange&>(last);
        if (f.sheet() != l.sheet()) throw AutomationError(1004, "ranges on two sheets");
        int r1 = std::min(f.row(), l.row()), r2 = std::max(f.lastRow(), l.lastRow());
        int c1 = std::min(f.column(), l.column()), c2 = std::max(f.lastColumn(), l.lastColumn());
        return std::make_shared<GridRange>(w_, f.book(), f.sheet(), r1, c1, r2, c2,
                                           a1(r1, c1) + ":" + a1(r2, c2));
    }
    std::shared_ptr<automation::Range> cells() override {
        return std::make_shared<GridRange>(w_, book(), book()->active, 1, 1, w_.sheetRows, 256,
                                           "Cells");
    }
    std::shared_ptr<automation::Range> cells(std::int32_t r, std::int32_t c) override {
        return cellRange(w_, book(), book()->active, r, c);
    }
    // "4:5"
    std::shared_ptr<automation::Range> rows(const std::string& text) override {
        std::size_t colon = text.find(':');
        int r1 = std::stoi(text.substr(0, colon)), r2 = std::stoi(text.substr(colon + 1));
        if (r1 < 1 || r2 > w_.sheetRows || r1 > r2) throw AutomationError(1004, "bad rows");
        return std::make_shared<GridRange>(w_, book(), book()->active, r1, 1, r2, 256, text);
    }
    // One column, "B:B".
    std::shared_ptr<automation::Range> columns(const std::string& text) override {
        int c = text[0] - 'A' + 1;
        return std::make_shared<GridRange>(w_, book(), book()->active, 1, c, w_.sheetRows, c, text);
    }
    std::shared_ptr<automation::Worksheet> sheets(const std::string& name) override {
        auto s = book()->sheet(name);
        if (!s) throw AutomationError(9, "subscript out of range");
        return std::make_shared<GridWorksheet>(w_, book(), s);
    }
    void deleteSelectedSheets() override {
        w_.check("ActiveWindow.SelectedSheets.Delete");
        auto& b = book();
        if (b->selected.size() >= b->sheets.size())
            throw AutomationError(1004, "a workbook keeps at least one sheet");
        std::string entry = "DeleteSelectedSheets(";
        std::erase_if(b->sheets, [&](const std::shared_ptr<Sheet>& s) {
            if (!b->selected.count(s.get())) return false;
            entry += s->name;
            return true;
        });
        w_.log.push_back(entry + ")");
        b->active = b->sheets.front();
        b->selected = {b->active.get()};
    }

  private:
    const std::shared_ptr<Book>& book() const {
        if (!w_.active) throw AutomationError(1004, "no active workbook");
        return w_.active;
    }
    World& w_;
    std::shared_ptr<GridWorkbooks> books_;
};

}  // namespace fake::grid
