#pragma once

// The tests' one double of the object model: our own engine, wrapped so that
// a test sees what a caller asks of the application (opens, saves, closes,
// settings) and can make a chosen member fail, or a chosen file refuse to
// open, as the spreadsheet application may where the engine never does.
// Everything else is the engine's own doing on real files.

#include <exception>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "automation/native/native_application.h"
#include "automation/object_model.h"

namespace fake {

using automation::AutomationError;

struct Watch {
    // Application-level calls in order: "Open(...)", "Add", "Save(path)",
    // "SaveAs(path)", "Workbook.Close(SaveChanges=..)", "Workbooks.Close",
    // "EnableEvents=..", "DisplayAlerts=..", "Range(text)", "Quit".
    std::vector<std::string> log;
    // Members (as "Workbook.SaveAs", "Names.Count", "Border.Weight") and what
    // calling them throws.
    std::map<std::string, std::exception_ptr> failing;
    // Files whose open fails as the application would refuse them.
    std::map<std::string, AutomationError> refused;
    bool failCreation = false;
    // Sheets a new workbook has beyond the engine's three, as the
    // application's setting may give it.
    int extraSheetsInNewWorkbook = 0;
    int created = 0;
    int alive = 0;

    void fail(const std::string& member) {
        failing[member] = std::make_exception_ptr(
            AutomationError(automation::errnum::kApplicationDefined, member + " failed"));
    }
    void refuse(const std::string& path, automation::OpenFailure cause,
                automation::FileContent content = automation::FileContent::Unknown) {
        refused.insert_or_assign(path, AutomationError(1004, "cannot open", cause, content));
    }
    bool logged(const std::string& entry) const {
        std::lock_guard lock(mutex);
        for (const auto& e : log)
            if (e == entry) return true;
        return false;
    }
    void note(std::string entry) {
        std::lock_guard lock(mutex);
        log.push_back(std::move(entry));
    }
    void check(const std::string& member) const {
        auto it = failing.find(member);
        if (it != failing.end()) std::rethrow_exception(it->second);
    }
    mutable std::mutex mutex;
};

namespace watched {

using namespace automation;

// A Workbooks.Open call as logged: the file and every named argument that
// was passed, in a fixed order.
inline std::string openCallText(const OpenArguments& a) {
    std::string entry = "Open(" + a.fileName;
    if (a.updateLinks) entry += ",UpdateLinks=" + std::to_string(*a.updateLinks);
    if (a.readOnly) entry += std::string(",ReadOnly=") + (*a.readOnly ? "true" : "false");
    if (a.ignoreReadOnlyRecommended)
        entry += std::string(",IgnoreReadOnlyRecommended=") +
                 (*a.ignoreReadOnlyRecommended ? "true" : "false");
    return entry + ")";
}

class WRange;
class WSheet;

// The engine's own object behind one of ours, for members that take one.
const Range& inner(const Range& r);

template <typename T>
class Wrap {
  protected:
    Wrap(Watch& w, std::shared_ptr<T> in) : w_(w), in_(std::move(in)) {}
    template <typename F>
    decltype(auto) at(const char* member, F&& f) const {
        w_.check(member);
        return f(*in_);
    }
    Watch& w_;
    std::shared_ptr<T> in_;

  public:
    const T& innerObject() const { return *in_; }
};

class WInterior : public Interior, Wrap<Interior> {
  public:
    WInterior(Watch& w, std::shared_ptr<Interior> in) : Wrap(w, std::move(in)) {}
    void setColorIndex(std::int32_t v) override {
        at("Interior.ColorIndex", [&](Interior& i) { i.setColorIndex(v); });
    }
    void setPattern(std::int32_t v) override {
        at("Interior.Pattern", [&](Interior& i) { i.setPattern(v); });
    }
};

class WBorder : public Border, Wrap<Border> {
  public:
    WBorder(Watch& w, std::shared_ptr<Border> in) : Wrap(w, std::move(in)) {}
    void setLineStyle(std::int32_t v) override {
        at("Border.LineStyle", [&](Border& b) { b.setLineStyle(v); });
    }
    void setWeight(std::int32_t v) override {
        at("Border.Weight", [&](Border& b) { b.setWeight(v); });
    }
    void setColorIndex(std::int32_t v) override {
        at("Border.ColorIndex", [&](Border& b) { b.setColorIndex(v); });
    }
};

std::shared_ptr<Worksheet> wrapSheet(Watch& w, std::shared_ptr<Worksheet> s);

inline std::shared_ptr<Range> wrapRange(Watch& w, std::shared_ptr<Range> r);

class WRange : public Range, public Wrap<Range> {
  public:
    WRange(Watch& w, std::shared_ptr<Range> in) : Wrap(w, std::move(in)) {}
    Variant value() const override { return in_->value(); }
    std::int32_t row() const override { return in_->row(); }
    std::int32_t column() const override { return in_->column(); }
    std::int32_t rowCount() const override { return in_->rowCount(); }
    std::int32_t columnCount() const override { return in_->columnCount(); }
    std::shared_ptr<Worksheet> worksheet() const override {
        return wrapSheet(w_, in_->worksheet());
    }
    void select() override {
        at("Range.Select", [](Range& r) { r.select(); });
    }
    void setFormulaR1C1(const Variant& v) override {
        at("Range.FormulaR1C1", [&](Range& r) { r.setFormulaR1C1(v); });
    }
    void deleteShift(std::int32_t v) override {
        at("Range.Delete", [&](Range& r) { r.deleteShift(v); });
    }
    void setColumnWidth(double v) override {
        at("Range.ColumnWidth", [&](Range& r) { r.setColumnWidth(v); });
    }
    void setRowHeight(double v) override {
        at("Range.RowHeight", [&](Range& r) { r.setRowHeight(v); });
    }
    void setHorizontalAlignment(std::int32_t v) override {
        at("Range.HorizontalAlignment", [&](Range& r) { r.setHorizontalAlignment(v); });
    }
    void setVerticalAlignment(std::int32_t v) override {
        at("Range.VerticalAlignment", [&](Range& r) { r.setVerticalAlignment(v); });
    }
    void setOrientation(std::int32_t v) override {
        at("Range.Orientation", [&](Range& r) { r.setOrientation(v); });
    }
    void setAddIndent(bool v) override {
        at("Range.AddIndent", [&](Range& r) { r.setAddIndent(v); });
    }
    void setIndentLevel(std::int32_t v) override {
        at("Range.IndentLevel", [&](Range& r) { r.setIndentLevel(v); });
    }
    void setWrapText(bool v) override {
        at("Range.WrapText", [&](Range& r) { r.setWrapText(v); });
    }
    void setShrinkToFit(bool v) override {
        at("Range.ShrinkToFit", [&](Range& r) { r.setShrinkToFit(v); });
    }
    void setMergeCells(bool v) override {
        at("Range.MergeCells", [&](Range& r) { r.setMergeCells(v); });
    }
    std::shared_ptr<Interior> interior() override {
        return std::make_shared<WInterior>(
            w_, at("Range.Interior", [](Range& r) { return r.interior(); }));
    }
    std::shared_ptr<Border> borders(std::int32_t i) override {
        return std::make_shared<WBorder>(
            w_, at("Range.Borders", [&](Range& r) { return r.borders(i); }));
    }
};

inline std::shared_ptr<Range> wrapRange(Watch& w, std::shared_ptr<Range> r) {
    return r ? std::make_shared<WRange>(w, std::move(r)) : nullptr;
}

inline const Range& inner(const Range& r) {
    auto* ours = dynamic_cast<const WRange*>(&r);
    return ours ? ours->innerObject() : r;
}

class WSheet : public Worksheet, Wrap<Worksheet> {
  public:
    WSheet(Watch& w, std::shared_ptr<Worksheet> in) : Wrap(w, std::move(in)) {}
    std::string name() const override { return in_->name(); }
    std::shared_ptr<Range> cells(std::int32_t r, std::int32_t c) const override {
        return wrapRange(w_, in_->cells(r, c));
    }
    std::shared_ptr<Range> range(const std::string& t) const override {
        return wrapRange(w_, in_->range(t));
    }
    std::shared_ptr<Range> usedRange() const override { return wrapRange(w_, in_->usedRange()); }
    void setName(const std::string& n) override {
        at("Worksheet.Name", [&](Worksheet& s) { s.setName(n); });
    }
    void select() override {
        at("Worksheet.Select", [](Worksheet& s) { s.select(); });
    }
    void addHyperlink(const Range& anchor, const std::string& address,
                      const std::string& text) override {
        at("Hyperlinks.Add",
           [&](Worksheet& s) { s.addHyperlink(watched::inner(anchor), address, text); });
    }
};

inline std::shared_ptr<Worksheet> wrapSheet(Watch& w, std::shared_ptr<Worksheet> s) {
    return s ? std::make_shared<WSheet>(w, std::move(s)) : nullptr;
}

class WSheets : public Sheets, Wrap<Sheets> {
  public:
    WSheets(Watch& w, std::shared_ptr<Sheets> in) : Wrap(w, std::move(in)) {}
    std::int32_t count() const override { return in_->count(); }
    std::shared_ptr<Worksheet> item(std::int32_t i) const override {
        return wrapSheet(w_, in_->item(i));
    }
    std::shared_ptr<Worksheet> item(const std::string& n) const override {
        return wrapSheet(w_, in_->item(n));
    }
    std::shared_ptr<Worksheet> add(const std::string& n) override {
        return wrapSheet(w_, at("Sheets.Add", [&](Sheets& s) { return s.add(n); }));
    }
};

class WNames : public Names, Wrap<Names> {
  public:
    WNames(Watch& w, std::shared_ptr<Names> in) : Wrap(w, std::move(in)) {}
    std::int32_t count() const override {
        return at("Names.Count", [](Names& n) { return n.count(); });
    }
    std::shared_ptr<Name> item(std::int32_t i) const override { return in_->item(i); }
    void add(const std::string& name, const std::string& ref) override {
        at("Names.Add", [&](Names& n) { n.add(name, ref); });
    }
    void add(const std::string& name, const Range& ref) override {
        at("Names.Add", [&](Names& n) { n.add(name, watched::inner(ref)); });
    }
};

class WBook : public Workbook, Wrap<Workbook> {
  public:
    WBook(Watch& w, std::shared_ptr<Workbook> in) : Wrap(w, std::move(in)) {}
    std::string name() const override { return in_->name(); }
    std::string fullName() const override { return in_->fullName(); }
    std::shared_ptr<Sheets> sheets() const override {
        return std::make_shared<WSheets>(w_, in_->sheets());
    }
    std::shared_ptr<Names> names() const override {
        return std::make_shared<WNames>(w_, in_->names());
    }
    std::shared_ptr<DocumentProperty> builtinDocumentProperty(std::int32_t i) const override {
        return in_->builtinDocumentProperty(i);
    }
    void close(bool save) override {
        w_.note(std::string("Workbook.Close(SaveChanges=") + (save ? "true" : "false") + ")");
        in_->close(save);
    }
    void save() override {
        w_.note("Save(" + in_->fullName() + ")");
        at("Workbook.Save", [](Workbook& b) { b.save(); });
    }
    void saveAs(const SaveAsArguments& a) override {
        w_.note("SaveAs(" + a.fileName + ")");
        at("Workbook.SaveAs", [&](Workbook& b) { b.saveAs(a); });
    }
};

class WBooks : public Workbooks, Wrap<Workbooks> {
  public:
    WBooks(Watch& w, std::shared_ptr<Workbooks> in) : Wrap(w, std::move(in)) {}
    std::shared_ptr<Workbook> open(const OpenArguments& a) override {
        w_.note(openCallText(a));
        w_.check("Workbooks.Open");
        auto refusal = w_.refused.find(a.fileName);
        if (refusal != w_.refused.end()) throw refusal->second;
        return std::make_shared<WBook>(w_, in_->open(a));
    }
    void close() override {
        w_.note("Workbooks.Close");
        in_->close();
    }
    std::int32_t count() const override { return in_->count(); }
    std::shared_ptr<Workbook> item(std::int32_t i) const override {
        return std::make_shared<WBook>(w_, in_->item(i));
    }
    std::shared_ptr<Workbook> add() override {
        w_.note("Add");
        auto book = at("Workbooks.Add", [](Workbooks& b) { return b.add(); });
        for (int i = 1; i <= w_.extraSheetsInNewWorkbook; ++i)
            book->sheets()->add("Sheet" + std::to_string(3 + i));
        return std::make_shared<WBook>(w_, book);
    }
};

class WApplication : public Application, Wrap<Application> {
  public:
    WApplication(Watch& w, std::shared_ptr<Application> in) : Wrap(w, std::move(in)) {
        std::lock_guard lock(w_.mutex);
        ++w_.created;
        ++w_.alive;
    }
    ~WApplication() override {
        std::lock_guard lock(w_.mutex);
        --w_.alive;
    }
    std::shared_ptr<Workbooks> workbooks() override {
        return std::make_shared<WBooks>(w_, in_->workbooks());
    }
    void setEnableEvents(bool on) override {
        w_.note(std::string("EnableEvents=") + (on ? "true" : "false"));
        in_->setEnableEvents(on);
    }
    void setDisplayAlerts(bool on) override {
        w_.note(std::string("DisplayAlerts=") + (on ? "true" : "false"));
        in_->setDisplayAlerts(on);
    }
    void quit() override {
        w_.note("Quit");
        in_->quit();
    }
    bool readsInParallel() const override { return in_->readsInParallel(); }
    std::shared_ptr<Range> range(const std::string& t) override {
        w_.note("Range(" + t + ")");
        return wrapRange(w_, in_->range(t));
    }
    std::shared_ptr<Workbook> activeWorkbook() override {
        auto b = in_->activeWorkbook();
        return b ? std::make_shared<WBook>(w_, b) : nullptr;
    }
    std::shared_ptr<Worksheet> activeSheet() override { return wrapSheet(w_, in_->activeSheet()); }
    std::shared_ptr<Range> range(const Range& a, const Range& b) override {
        return wrapRange(w_, in_->range(watched::inner(a), watched::inner(b)));
    }
    std::shared_ptr<Range> cells() override { return wrapRange(w_, in_->cells()); }
    std::shared_ptr<Range> cells(std::int32_t r, std::int32_t c) override {
        return wrapRange(w_, in_->cells(r, c));
    }
    std::shared_ptr<Range> rows(const std::string& t) override {
        return wrapRange(w_, in_->rows(t));
    }
    std::shared_ptr<Range> columns(const std::string& t) override {
        return wrapRange(w_, in_->columns(t));
    }
    std::shared_ptr<Worksheet> sheets(const std::string& n) override {
        return wrapSheet(w_, in_->sheets(n));
    }
    std::shared_ptr<Range> selection() override { return wrapRange(w_, in_->selection()); }
    std::shared_ptr<Range> activeCell() override { return wrapRange(w_, in_->activeCell()); }
    void deleteSelectedSheets() override {
        at("ActiveWindow.SelectedSheets.Delete", [](Application& a) { a.deleteSelectedSheets(); });
    }
};

}  // namespace watched

// Starts an engine instance the watch sees, or fails as a machine without
// the application does.
inline automation::ApplicationFactory factoryFor(Watch& w) {
    return [&w]() -> std::unique_ptr<automation::Application> {
        if (w.failCreation)
            throw AutomationError(automation::errnum::kCannotCreateObject, "cannot create object");
        return std::make_unique<watched::WApplication>(w, xls::native::createApplication());
    };
}

}  // namespace fake
